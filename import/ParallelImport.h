#pragma once
#include "import/SongImporter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Imports several files at once, one per worker thread, while the caller's thread stays free
// to show progress and watch for Cancel. Each file's result depends only on that file, so
// results are the same whatever the number of threads; they come back in source order.
class ParallelImport {
public:
    // Starts `threads` workers (0: one per core), never more than there are files.
    ParallelImport(const SongImporter& importer, std::vector<std::string> sources, int threads);
    // Cancels and waits for the workers.
    ~ParallelImport();
    ParallelImport(const ParallelImport&) = delete;
    ParallelImport& operator=(const ParallelImport&) = delete;

    // Waits up to `timeout`; true once every file is done.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Progress over all files, 0 to 1000, and the number of files done.
    int Permille() const;
    int Done() const { return done_.load(); }
    // Workers stop at their next block; unfinished files come back Cancelled.
    void Cancel() { cancel_.store(true); }

    // Waits for the workers and hands over the results, in the order of the sources.
    std::vector<ImportedSong> TakeResults();

private:
    void Work();
    void Join();

    const SongImporter& importer_;
    std::vector<std::string> sources_;
    std::vector<ImportedSong> results_;
    std::deque<std::atomic<int>> progress_;
    std::atomic<std::size_t> next_{0};
    std::atomic<int> done_{0};
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<std::thread> workers_;
};
