#pragma once
#include "playback/Player.h"

#include <string>

// What plays a pack's songs for GameFolderController: the window's player (SystemSongPlayer),
// or a test's stand-in. The command line has none. Every call returns at once; the sound is
// made elsewhere, and its state is asked for.
class SongPlayer {
public:
    virtual ~SongPlayer() = default;

    // Whether there is sound output at all (Probing until the player has found out).
    virtual Player::Output SoundOutput() const = 0;
    // Plays song number (1 to 16) of the pack straight from the pack file, from its start,
    // replacing what played. False, with problem set ("Cannot play musicNN.ogg from PACK: ..."),
    // when the song cannot be opened; then nothing plays.
    virtual bool PlayPackSong(const std::string& pack, int number, std::string& problem) = 0;
    virtual void Stop() = 0;

    virtual Player::State CurrentState() const = 0;
    virtual double Position() const = 0; // seconds
    virtual double Duration() const = 0; // seconds
    // Why the state is Failed.
    virtual std::string Problem() const = 0;
};
