#pragma once
#include "patcher/SongPlayer.h"

// The system's sound output through playback's Player: created for the window only (its worker
// finds out at once whether there is sound output, which may take a moment). Songs are read
// from the pack in place (PackSongSource); nothing is unpacked.
class SystemSongPlayer final : public SongPlayer {
public:
    Player::Output SoundOutput() const override { return player_.SoundOutput(); }
    bool PlayPackSong(const std::string& pack, int number, std::string& problem) override;
    void Stop() override { player_.Stop(); }
    Player::State CurrentState() const override { return player_.CurrentState(); }
    double Position() const override { return player_.Position(); }
    double Duration() const override { return player_.Duration(); }
    std::string Problem() const override { return player_.Problem(); }

private:
    Player player_;
};
