// The player's states and positions as a controller sees them, with a source that decodes
// only as far as the test lets it, so that every step is known without any timing.
#include "playback/Player.h"
#include "tests/playback/PlaybackFixture.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {

using State = Player::State;

// How many reads a gated source may make; opened fully, it never holds one back.
class Gate {
public:
    void Let(int reads) {
        std::lock_guard lock(mutex_);
        allowed_ += reads;
        changed_.notify_all();
    }
    void OpenFully() { Let(1 << 30); }
    void Pass() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return allowed_ > 0; });
        --allowed_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int allowed_ = 0;
};

// Opens the gate before the player that may be waiting on it goes.
struct GateOpener {
    std::shared_ptr<Gate> gate;
    ~GateOpener() { gate->OpenFully(); }
};

// Ten seconds at 1,000 Hz of a constant quarter-scale sample.
class GatedSource final : public PlaybackSource {
public:
    explicit GatedSource(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
    std::int32_t Rate() const override { return 1000; }
    std::int64_t Frames() const override { return 10000; }
    bool Seek(std::int64_t frame) override {
        position_ = frame;
        return true;
    }
    std::int64_t Read(float* samples, std::int64_t count) override {
        gate_->Pass();
        const std::int64_t given = std::min(count, Frames() - position_);
        std::fill(samples, samples + given, 0.25f);
        position_ += given;
        return given;
    }
    std::string Problem() const override { return {}; }

private:
    std::shared_ptr<Gate> gate_;
    std::int64_t position_ = 0;
};

bool OutputKnown(const Player& player) {
    return WaitFor([&] { return player.SoundOutput() != Player::Output::Probing; });
}

TEST(Player, FollowsTheControls) {
    DiskOutput output;
    Player player;
    auto gate = std::make_shared<Gate>();
    GateOpener opener{gate};
    ASSERT_TRUE(OutputKnown(player));
    ASSERT_EQ(player.SoundOutput(), Player::Output::Available);

    player.Play(std::make_unique<GatedSource>(gate));
    EXPECT_EQ(player.CurrentState(), State::Starting);
    EXPECT_EQ(player.Duration(), 10.0);
    gate->Let(1); // one block of 2048 samples, then the device waits for the decoder
    ASSERT_TRUE(WaitFor([&] { return player.Position() == 2.048; }));
    EXPECT_EQ(player.CurrentState(), State::Playing);

    player.Pause();
    EXPECT_EQ(player.CurrentState(), State::Paused);
    player.Seek(5.0);
    EXPECT_EQ(player.CurrentState(), State::Paused);
    EXPECT_EQ(player.Position(), 5.0);
    player.Resume();
    EXPECT_EQ(player.CurrentState(), State::Playing);
    gate->OpenFully();
    ASSERT_TRUE(WaitFor([&] { return player.CurrentState() == State::Finished; }));
    EXPECT_EQ(player.Position(), 10.0);

    player.Seek(3.0); // a finished song waits at the new place
    EXPECT_EQ(player.CurrentState(), State::Paused);
    EXPECT_EQ(player.Position(), 3.0);
    player.Resume();
    ASSERT_TRUE(WaitFor([&] { return player.CurrentState() == State::Finished; }));
    player.Resume(); // from the start again
    EXPECT_EQ(player.CurrentState(), State::Starting);
    ASSERT_TRUE(WaitFor([&] { return player.CurrentState() == State::Finished; }));
    EXPECT_EQ(player.Position(), 10.0);

    // Another song at the same rate, from where the first one is (the A/B switch).
    auto second = std::make_shared<Gate>();
    GateOpener secondOpener{second};
    player.Play(std::make_unique<GatedSource>(second), 5.0);
    EXPECT_EQ(player.CurrentState(), State::Starting);
    EXPECT_EQ(player.Position(), 5.0);
    second->Let(1);
    ASSERT_TRUE(WaitFor([&] { return player.Position() == 7.048; }));
    EXPECT_EQ(player.CurrentState(), State::Playing);
    second->OpenFully(); // the worker waits in its next read

    player.Stop();
    EXPECT_EQ(player.CurrentState(), State::Idle);
    EXPECT_EQ(player.Position(), 0.0);
    EXPECT_EQ(player.Duration(), 0.0);
    EXPECT_EQ(player.Problem(), "");

    // Destroyed while it plays: the device and the worker end with it.
    player.Play(std::make_unique<GatedSource>(gate));
    ASSERT_TRUE(WaitFor([&] { return player.CurrentState() != State::Starting; }));
}

TEST(Player, WithoutSoundOutputFailsEveryPlay) {
    SetEnvironment("SDL_AUDIODRIVER", "kp-no-such-driver");
    Player player;
    const bool known = OutputKnown(player);
    UnsetEnvironment("SDL_AUDIODRIVER");
    ASSERT_TRUE(known);
    EXPECT_EQ(player.SoundOutput(), Player::Output::Unavailable);

    auto gate = std::make_shared<Gate>();
    gate->OpenFully();
    player.Play(std::make_unique<GatedSource>(gate));
    EXPECT_EQ(player.CurrentState(), State::Failed);
    EXPECT_EQ(player.Problem(), kNoSoundOutput);
    EXPECT_EQ(std::string(kNoSoundOutput), "No sound output");
}

} // namespace
