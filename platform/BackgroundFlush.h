#pragma once
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// Flushes a file that is still being written, on a thread of its own, each time it is asked:
// the bytes go to the disk while the writer goes on, so the flush that later makes the
// finished file durable waits for little. Only a head start: it reports nothing and proves
// nothing, and a file it cannot open is simply not flushed early.
class BackgroundFlush {
public:
    // Opens the file for flushing (OpenForFlushing), never through a link.
    explicit BackgroundFlush(const std::string& path);
    // Waits for a flush under way, then stops.
    ~BackgroundFlush();
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    // Asks for a flush of everything written so far; requests made meanwhile are merged.
    void Request();

private:
    void Run();

    int descriptor_ = -1;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
