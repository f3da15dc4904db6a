#include "import/ParallelImport.h"

#include <algorithm>

ParallelImport::ParallelImport(const SongImporter& importer, std::vector<std::string> sources,
                               int threads)
    : importer_(importer), sources_(std::move(sources)), results_(sources_.size()),
      progress_(sources_.size()) {
    int count = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    count = std::clamp(count, 1, std::max(1, static_cast<int>(sources_.size())));
    for (int index = 0; index < count && !sources_.empty(); ++index)
        workers_.emplace_back([this] { Work(); });
}

ParallelImport::~ParallelImport() {
    Cancel();
    Join();
}

void ParallelImport::Work() {
    for (;;) {
        const std::size_t index = next_.fetch_add(1);
        if (index >= sources_.size())
            return;
        ImportedSong song = importer_.Import(sources_[index], cancel_, progress_[index]);
        progress_[index].store(1000);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            results_[index] = std::move(song);
            done_.fetch_add(1);
        }
        finished_.notify_all();
    }
}

bool ParallelImport::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return finished_.wait_for(lock, timeout,
                              [this] { return done_.load() == static_cast<int>(sources_.size()); });
}

int ParallelImport::Permille() const {
    if (sources_.empty())
        return 1000;
    long sum = 0;
    for (const auto& permille : progress_)
        sum += permille.load(std::memory_order_relaxed);
    return static_cast<int>(sum / static_cast<long>(sources_.size()));
}

std::vector<ImportedSong> ParallelImport::TakeResults() {
    Join();
    return std::move(results_);
}

void ParallelImport::Join() {
    for (auto& worker : workers_)
        if (worker.joinable())
            worker.join();
    workers_.clear();
}
