#pragma once
#include "audio/SongTrim.h"
#include "builder/ProjectView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class PlaybackSource;
class Player;
class SongSlot;

// What Korvane plays and when it stops: the selected slot's song, trimmed and faded as the
// build encodes it, and "as the game plays it" (encoded at the project's Ogg quality and
// decoded again) at the switch. Drives the window's Player, which decodes on its own worker,
// so no call waits for decoding. Without a player (the command line) nothing ever plays.
// Failure: a song that cannot be opened, or that the player cannot play, shows why in the
// view's status; the player's own lack of sound output shows kNoSoundOutput.
class SlotListening {
public:
    // The window's player, not owned; it must outlive this object or be replaced first.
    void SetPlayer(Player* player);

    // Play and Space: pauses what plays, plays on what is paused or finished, and otherwise
    // plays the slot from its Start.
    void PlayOrPause(const SongSlot* slot, std::int32_t quality);
    void Stop();
    // Moves to seconds from the song's Start while a song is loaded.
    void Seek(double seconds);
    // "As the game plays it": a song that is loaded goes on at the same position.
    void SetGameVersion(bool on, std::int32_t quality);
    // Stops when what is loaded is no longer what the selected slot would play: another slot,
    // another song or trim, or another quality for the game's version. (Another project is
    // the caller's to stop for: slots live on in a project that is reset.)
    void Follow(const SongSlot* selected, std::int32_t quality);

    // Where the loaded song stands in its source file (the position plus the Start), for
    // setting the Start or End from it; nothing when no song is loaded.
    std::optional<double> SourcePosition() const;
    ListeningView View(const SongSlot* selected) const;

private:
    struct Loaded {
        const SongSlot* slot = nullptr;
        std::string path;
        SongTrim trim;
        std::int32_t quality = 0;
    };

    bool IsLoaded() const;
    // Plays what is loaded from seconds on, in the version the switch asks for.
    void PlayLoaded(double seconds);
    std::unique_ptr<PlaybackSource> OpenLoaded();

    Player* player_ = nullptr;
    bool gameVersion_ = false;
    std::optional<Loaded> loaded_;
    std::string problem_; // why the loaded song could not be opened
};
