// What Korvane plays, through its controller and a real player on SDL's disk driver: the
// selected slot trimmed and faded, sample for sample; when it stops; the game's version at
// the same place; the Start and End set from where the song stands; no sound output.
#include "builder/MemoryProjectSettings.h"
#include "builder/ProjectController.h"
#include "playback/Pcm16.h"
#include "playback/Player.h"
#include "tests/playback/PlaybackFixture.h"
#include "tests/support/Environment.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Field = ProjectController::TrimField;

class ListeningTest : public testing::Test {
protected:
    ListeningTest() {
        controller.project().SlotAt(2).SetPath(WriteWav(folder, "two.wav", Sweep(4 * kTestRate)));
        controller.project().SlotAt(3).SetPath(WriteWav(folder, "three.wav", Sweep(kTestRate)));
        controller.Select(1);
    }

    // A player whose output is known, driven by the controller.
    void StartPlayer() {
        player = std::make_unique<Player>();
        ASSERT_TRUE(WaitFor([&] { return player->SoundOutput() != Player::Output::Probing; }));
        controller.SetPlayer(player.get());
    }

    void EndPlayer() {
        controller.SetPlayer(nullptr);
        player.reset();
    }

    // Plays the selected slot and holds it at seconds from its Start.
    void PauseAt(double seconds) {
        controller.PlayOrPause();
        controller.PlayOrPause();
        ASSERT_EQ(player->CurrentState(), Player::State::Paused);
        controller.SeekListening(seconds);
    }

    ListeningView Listening() { return controller.View().listening; }

    TempFolder base;
    TempFolder folder;
    FakePrompts prompts;
    MemoryProjectSettings settings;
    ProjectController controller{prompts, [] { return std::make_unique<FakeProgress>(); }, settings,
                                 base.path()};
    std::unique_ptr<Player> player;
};

TEST_F(ListeningTest, PlaysTheSelectedSlotTrimmedAndFaded) {
    const SongTrim trim{0.5, 1.5, 0.2, 0.3};
    controller.project().SlotAt(2).SetTrim(trim);
    std::vector<std::int16_t> expected;
    const auto samples = Sweep(4 * kTestRate);
    const TrimFrames kept = TrimToFrames(trim, kTestRate, 4 * kTestRate);
    for (std::int64_t i = 0; i < kept.count; ++i)
        expected.push_back(ToPcm16(samples[static_cast<std::size_t>(kept.first + i)] / 32768.0f *
                                   FadeGain(kept, i)));

    DiskOutput output;
    StartPlayer();
    EXPECT_EQ(Listening().timeText, "0:00.0 / 0:01.0");
    controller.PlayOrPause();
    EXPECT_TRUE(Listening().playing);
    ASSERT_TRUE(WaitFor([&] { return player->CurrentState() == Player::State::Finished; }));
    EXPECT_FALSE(Listening().playing);
    EXPECT_EQ(Listening().timeText, "0:01.0 / 0:01.0");
    EndPlayer();
    EXPECT_EQ(WithoutEdgeSilence(output.Played()), WithoutEdgeSilence(expected));
}

struct ChangeCase {
    std::string name;
    std::function<void(ProjectController&, const TempFolder&)> change;
    bool stops;
};

class ListeningStopsTest : public ListeningTest, public testing::WithParamInterface<ChangeCase> {};

TEST_P(ListeningStopsTest, WhenWhatItPlaysChanges) {
    DiskOutput output;
    StartPlayer();
    controller.SetGameVersion(true);
    PauseAt(1.0);
    GetParam().change(controller, folder);
    EXPECT_EQ(Listening().stopEnabled, !GetParam().stops);
    EXPECT_EQ(player->CurrentState() == Player::State::Idle, GetParam().stops);
    EndPlayer();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ListeningStopsTest,
    testing::Values(
        ChangeCase{"AnotherSlot", [](auto& c, auto&) { c.Select(2); }, true},
        ChangeCase{"NoSlot", [](auto& c, auto&) { c.Select(-1); }, true},
        ChangeCase{"TheTrim", [](auto& c, auto&) { c.SetTrimText(Field::FadeIn, "1"); }, true},
        ChangeCase{"TheSong", [](auto& c, const TempFolder& f) { c.SetPath(f.file("three.wav")); },
                   true},
        ChangeCase{"TheProject", [](auto& c, auto&) { c.NewProject(); }, true},
        ChangeCase{"TheQualityOfTheGamesVersion", [](auto& c, auto&) { c.SetQualityText("7"); },
                   true},
        ChangeCase{"TheTitle", [](auto& c, auto&) { c.SetTitle("Renamed"); }, false},
        ChangeCase{"TheOrder", [](auto& c, auto&) { c.MoveUp(); }, false},
        ChangeCase{"ARefusedTrim", [](auto& c, auto&) { c.SetTrimText(Field::End, "0.5"); }, false},
        ChangeCase{"TheStopButton", [](auto& c, auto&) { c.StopListening(); }, true}),
    [](const auto& tested) { return tested.param.name; });

TEST_F(ListeningTest, GameVersionSwitchKeepsThePlaceAndThePause) {
    DiskOutput output;
    StartPlayer();
    PauseAt(2.5);
    controller.SetGameVersion(true);
    EXPECT_TRUE(Listening().gameVersion);
    EXPECT_EQ(player->CurrentState(), Player::State::Paused);
    EXPECT_EQ(Listening().positionMs, 2500);
    EXPECT_EQ(Listening().timeText, "0:02.5 / 0:04.0");
    controller.PlayOrPause(); // plays on
    EXPECT_TRUE(Listening().playing);
    controller.SetGameVersion(false);
    EXPECT_TRUE(Listening().playing || player->CurrentState() == Player::State::Finished);
    EndPlayer();
}

TEST_F(ListeningTest, BracketsSetStartAndEndFromWhereTheSongStands) {
    controller.project().SlotAt(2).SetTrim({0.5, std::nullopt, 0, 0});
    controller.Select(-1);
    controller.Select(1); // shows the trim
    DiskOutput output;
    StartPlayer();
    controller.MarkStart(); // nothing plays: nothing happens
    EXPECT_EQ(controller.View().startText, "0.5");

    PauseAt(0.3); // counted from the Start
    controller.MarkStart();
    EXPECT_EQ(controller.View().startText, "0.8");
    EXPECT_FALSE(Listening().stopEnabled); // the trim changed
    PauseAt(2.04);
    controller.MarkEnd();
    EXPECT_EQ(controller.View().endText, "2.8");
    EXPECT_TRUE(controller.View().modified);

    PauseAt(0.5);
    controller.MarkEnd(); // 1.3: too short a song
    EXPECT_EQ(prompts.messages.back(), "A trimmed song must last at least 1 second.");
    EXPECT_EQ(controller.View().endText, "2.8");
    EXPECT_EQ(controller.project().SlotAt(2).trim(), (SongTrim{0.8, 2.8, 0, 0}));
    EndPlayer();
}

TEST_F(ListeningTest, WithoutSoundOutputTheControlsSaySoAndStayDisabled) {
    EXPECT_FALSE(Listening().available); // the command line: no player at all
    EXPECT_EQ(Listening().status, "");
    controller.PlayOrPause();

    SetEnvironment("SDL_AUDIODRIVER", "kp-no-such-driver");
    StartPlayer();
    UnsetEnvironment("SDL_AUDIODRIVER");
    const ListeningView view = Listening();
    EXPECT_FALSE(view.available);
    EXPECT_EQ(view.status, "No sound output");
    controller.PlayOrPause();
    EXPECT_EQ(Listening().status, "No sound output");
    EXPECT_FALSE(Listening().playing);
    EndPlayer();
}

TEST_F(ListeningTest, ASongThatCannotBePlayedSaysWhy) {
    DiskOutput output;
    StartPlayer();
    EXPECT_TRUE(Listening().playEnabled);
    WriteFileBytes(folder.file("two.wav"), "no longer a song");
    controller.PlayOrPause(); // the slot was valid when last probed
    EXPECT_EQ(Listening().status, "Cannot play " + folder.file("two.wav") +
                                      ": it is not a WAV "
                                      "or AIFF file the build reads.");
    EXPECT_FALSE(Listening().stopEnabled);
    controller.Select(2);
    EXPECT_EQ(Listening().status, "");
    EndPlayer();
}

} // namespace
