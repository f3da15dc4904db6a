#pragma once
#include "audio/SongTrim.h"

#include <cstdint>
#include <optional>
#include <string>

// One song of the project: source WAV path, title, the part of the song that is kept (its
// trim and fades) and what the last probe of the source found. Plain data with no failure
// modes of its own; probing records every outcome in the slot (status "Ok", "not mono" or
// "invalid format"). Whether a trim fits the song is TrimRefusal's to say.
class SongSlot {
public:
    SongSlot() { Clear(); }

    // Back to the cleared state: no path, title "empty slot", length 0, status "no file", no
    // trim.
    void Clear();
    // Replaces the title; nothing else changes.
    void SetTitle(std::string title) { title_ = std::move(title); }
    // Replaces the path and probes the new source at once. The trim stays.
    void SetPath(std::string path);
    // Replace path or length without probing: the project file loader probes once the
    // whole record is read.
    void SetStoredPath(std::string path) { path_ = std::move(path); }
    void SetStoredLength(float seconds) { length_ = seconds; }
    // Replaces the trim as it is, unchecked.
    void SetTrim(const SongTrim& trim) { trim_ = trim; }
    // Reads the source's header and sets valid and status, and the length on success. A
    // failed probe keeps the earlier length.
    void Probe();

    const std::string& path() const { return path_; }
    const std::string& title() const { return title_; }
    // Whole seconds of the song, as probed (or stored, for a song not found).
    float length() const { return length_; }
    bool valid() const { return valid_; }
    const std::string& status() const { return status_; }
    const SongTrim& trim() const { return trim_; }

    // The song's exact length in milliseconds while the slot is valid, else nothing.
    std::optional<std::int64_t> SongMilliseconds() const;
    // The exact length of what the trim keeps of a valid song, in seconds; else nothing.
    std::optional<double> PlayedSeconds() const;
    // What the game registers: length() for an untrimmed song, otherwise PlayedSeconds() cut
    // down to the tenth (length() while not valid).
    float PlayedLength() const;

private:
    std::int64_t KeptFrames() const;

    std::string path_;
    std::string title_;
    float length_ = 0;
    bool valid_ = false;
    std::string status_;
    SongTrim trim_;
    std::uint64_t frames_ = 0; // of a valid song, as probed
    std::uint32_t rate_ = 0;
};
