#pragma once
#include "patcher/SongPlayer.h"

#include <string>
#include <utility>
#include <vector>

// Stands in for the sound output: records what it is asked to play and stop, and plays each
// song until told otherwise (or until the test sets its state).
class FakeSongPlayer : public SongPlayer {
public:
    Player::Output output = Player::Output::Available;
    Player::State state = Player::State::Idle;
    std::vector<std::pair<std::string, int>> played; // pack and song number, in order
    int stops = 0;

    Player::Output SoundOutput() const override { return output; }
    bool PlayPackSong(const std::string& pack, int number, std::string&) override {
        played.emplace_back(pack, number);
        state = Player::State::Playing;
        return true;
    }
    void Stop() override {
        ++stops;
        state = Player::State::Idle;
    }
    Player::State CurrentState() const override { return state; }
    double Position() const override { return 12; }
    double Duration() const override { return 187; }
    std::string Problem() const override { return {}; }
};
