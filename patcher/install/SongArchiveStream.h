#pragma once
#include "archive/FlatArchiveWriter.h"
#include "platform/BackgroundFlush.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Packs decoded songs into the game archive while later songs still decode: in slot order,
// whatever order the songs finish in, with the entry names and bytes a pack of the finished
// song folder gives. Each song's bytes are flushed to the disk in the background while later
// songs decode, so the install's flush of the archive waits for little. Any trouble only abandons
// the stream; the archive is then written from the folder afterwards, as when the songs are decoded
// one after another.
class SongArchiveStream {
public:
    // songPaths in slot order; each is stored as namePrefix + "/" + its file name.
    SongArchiveStream(const std::string& archivePath, std::vector<std::string> songPaths,
                      std::string namePrefix);
    // Removes the archive unless Finish wrote it.
    ~SongArchiveStream();
    SongArchiveStream(const SongArchiveStream&) = delete;
    SongArchiveStream& operator=(const SongArchiveStream&) = delete;

    // From any thread, once the song of a slot is complete and nothing writes to it any more.
    // The thread that finds the next slot in order ready appends it and any that follow.
    void SongDone(int slot) noexcept;
    // After every song is done and no thread calls SongDone any more: writes the directory.
    // False when any song could not be appended or the archive could not be finished.
    bool Finish();

private:
    void AppendReady(std::unique_lock<std::mutex>& lock);

    std::string archivePath_;
    std::vector<std::string> songPaths_;
    std::string namePrefix_;
    FlatArchiveWriter writer_; // used by one appending thread at a time
    std::optional<BackgroundFlush> flush_;
    std::mutex mutex_;
    std::vector<bool> done_;
    std::size_t next_ = 0; // the slot to append next
    bool appending_ = false;
    bool failed_ = false;
    bool finished_ = false;
};
