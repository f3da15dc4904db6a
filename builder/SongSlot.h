#pragma once
#include <string>

// One song of the project: source WAV path, title and what the last probe of the source
// found. Plain data with no failure modes of its own; probing records every outcome in the
// slot (status "Ok", "not mono" or "invalid format").
class SongSlot {
public:
    SongSlot() { Clear(); }

    // Back to the cleared state: no path, title "empty slot", length 0, status "no file".
    void Clear();
    // Replaces the title; nothing else changes.
    void SetTitle(std::string title) { title_ = std::move(title); }
    // Replaces the path and probes the new source at once.
    void SetPath(std::string path);
    // Replace path or length without probing: the project file loader probes once the
    // whole record is read.
    void SetStoredPath(std::string path) { path_ = std::move(path); }
    void SetStoredLength(float seconds) { length_ = seconds; }
    // Reads the source's header and sets valid and status, and the length on success. A
    // failed probe keeps the earlier length.
    void Probe();

    const std::string& path() const { return path_; }
    const std::string& title() const { return title_; }
    float length() const { return length_; }
    bool valid() const { return valid_; }
    const std::string& status() const { return status_; }

private:
    std::string path_;
    std::string title_;
    float length_ = 0;
    bool valid_ = false;
    std::string status_;
};
