#pragma once
#include "patcher/pack/OggSongCheck.h"

#include <set>
#include <string>
#include <vector>

// One song of a pack as a preview shows it.
struct PackSong {
    std::string title;        // as playlists.con lists it
    std::string listedLength; // the length playlists.con gives ("187.0")
    double seconds = 0;       // the length of the Ogg stream
    long rate = 0;            // its sample rate
};

// Decides whether an extracted music pack is exactly what Korvane writes, so that nothing
// of it can make the game run console commands the player never saw. Works on the folder
// the pack was extracted into, which must have been empty before, or whose earlier
// contents were noted by NoteEarlierContents.
class PackValidator {
public:
    explicit PackValidator(std::string extractedFolder);

    // Called before extracting into a folder that is not empty: what it holds now is not the
    // pack's, and Check leaves it out (unless it is one of the pack's eighteen names).
    void NoteEarlierContents();

    // Returns the empty string when the folder holds exactly velk/playlists.con, velk/US.ssc
    // and velk/music01.ogg to velk/music16.ogg; US.ssc is byte for byte Korvane's; the
    // playlist script has Korvane's layout; and every song passes CheckOggSong at the given
    // depth. Otherwise the message for the user, naming what was refused, in this order:
    //   "The pack holds entries Korvane never writes: %s." (names escaped, at most five)
    //   "playlists.con is missing.", "US.ssc is missing.", "music%.2d.ogg is missing."
    //   "US.ssc is refused: it is not the sound script Korvane writes."
    //   "playlists.con is refused: %s." (the reason, naming the line)
    //   "music%.2d.ogg is refused: %s." (the reason from CheckOggSong)
    // cancelled is asked between the songs and between their decoded blocks; when it
    // answers true the check stops with "The check of the pack was cancelled." and
    // WasCancelled() is true. Reads only; never prints.
    std::string Check(OggSongDepth depth = OggSongDepth::DecodeEverySong,
                      const CancelCheck& cancelled = {});
    bool WasCancelled() const { return cancelled_; }

    // Songs checked at once (default 1). With more, the songs are checked on worker threads
    // and cancelled is asked on the calling thread only, between the workers' progress; the
    // message is the one a check of one song after another gives.
    void SetThreads(int threads) { threads_ = threads; }

    // After a Check that returned the empty string: the sixteen songs in play order.
    const std::vector<PackSong>& Songs() const { return songs_; }

private:
    std::string CheckEntries() const;
    std::string CheckSoundScript() const;
    std::string CheckPlaylistScript();
    std::string CheckSongs(OggSongDepth depth, const CancelCheck& cancelled);
    std::string CheckSongsTogether(OggSongDepth depth, const CancelCheck& cancelled);

    std::string folder_;
    std::set<std::string> earlier_;
    std::vector<PackSong> songs_;
    bool cancelled_ = false;
    int threads_ = 1;
};
