#include "patcher/install/SongArchiveStream.h"

#include "platform/FileOps.h"

SongArchiveStream::SongArchiveStream(const std::string& archivePath,
                                     std::vector<std::string> songPaths, std::string namePrefix)
    : archivePath_(archivePath), songPaths_(std::move(songPaths)),
      namePrefix_(std::move(namePrefix)), done_(songPaths_.size(), false) {
    failed_ = !writer_.Begin(archivePath_);
    if (!failed_)
        flush_.emplace(archivePath_);
}

SongArchiveStream::~SongArchiveStream() {
    if (!finished_) {
        flush_.reset();
        writer_.Abandon(); // closed first: Windows removes no open file
        RemoveFile(archivePath_);
    }
}

void SongArchiveStream::SongDone(int slot) noexcept {
    try {
        std::unique_lock lock(mutex_);
        done_.at(static_cast<std::size_t>(slot)) = true;
        // Another thread appending sees this slot when it gets to it.
        if (!appending_)
            AppendReady(lock);
    } catch (...) {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
}

void SongArchiveStream::AppendReady(std::unique_lock<std::mutex>& lock) {
    appending_ = true;
    while (next_ < done_.size() && done_[next_] && !failed_) {
        const std::string& path = songPaths_[next_];
        const std::string name = namePrefix_ + "/" + path.substr(path.find_last_of("/\\") + 1);
        lock.unlock();
        const bool appended = writer_.Append(path, name);
        if (appended)
            flush_->Request();
        lock.lock();
        failed_ = !appended;
        ++next_;
    }
    appending_ = false;
}

bool SongArchiveStream::Finish() {
    std::lock_guard lock(mutex_);
    if (failed_ || next_ != done_.size() || finished_)
        return false;
    finished_ = true;
    if (writer_.Finish())
        return true;
    RemoveFile(archivePath_);
    return false;
}
