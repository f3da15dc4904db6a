#include "common/WorkerPool.h"

#include <algorithm>
#include <thread>

namespace {

constexpr int kMostThreads = 16;

} // namespace

WorkerPool::WorkerPool(int slots, int threads)
    : threads_(std::clamp(threads, 1, std::max(slots, 1))) {
    for (int slot = 0; slot < slots; ++slot)
        slots_.push_back(std::make_unique<Slot>());
}

WorkerPool::~WorkerPool() = default;

int WorkerPool::DefaultThreads() {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMostThreads);
}

int WorkerPool::UsefulThreads(int requested) {
    return std::clamp(requested, 1, DefaultThreads());
}

void WorkerPool::Run(const Task& task, const Pump& pump, std::chrono::milliseconds interval) {
    {
        std::lock_guard lock(mutex_);
        workersLeft_ = threads_;
    }
    std::vector<std::jthread> workers;
    for (int index = 0; index < threads_; ++index)
        workers.emplace_back([this, &task] { Work(task); });

    std::unique_lock lock(mutex_);
    int seen = endedCount_;
    while (workersLeft_ > 0) {
        ended_.wait_for(lock, interval, [&] { return endedCount_ != seen || workersLeft_ == 0; });
        seen = endedCount_;
        if (workersLeft_ == 0)
            break; // the caller reports the outcome itself
        lock.unlock();
        if (pump())
            StopAll();
        lock.lock();
    }
    lock.unlock();
    workers.clear(); // joins
}

void WorkerPool::Work(const Task& task) {
    for (;;) {
        const int slot = next_.fetch_add(1);
        if (slot >= static_cast<int>(slots_.size()))
            break;
        if (slots_[static_cast<std::size_t>(slot)]->stop.load()) {
            slots_[static_cast<std::size_t>(slot)]->state = SlotState::Stopped;
            continue;
        }
        RunSlot(task, slot);
        NoteEnded();
    }
    std::lock_guard lock(mutex_);
    --workersLeft_;
    ended_.notify_all();
}

void WorkerPool::RunSlot(const Task& task, int slot) {
    Slot& entry = *slots_[static_cast<std::size_t>(slot)];
    entry.state = SlotState::Running;
    bool succeeded = false;
    try {
        succeeded = task(slot);
    } catch (...) {
        entry.error = std::current_exception();
    }
    if (succeeded) {
        entry.state = SlotState::Done;
    } else if (entry.stop.load() && !entry.error) {
        entry.state = SlotState::Stopped;
    } else {
        entry.state = SlotState::Failed;
        StopAfter(slot);
    }
}

void WorkerPool::NoteEnded() {
    std::lock_guard lock(mutex_);
    ++endedCount_;
    ended_.notify_all();
}

void WorkerPool::StopAfter(int slot) {
    for (std::size_t later = static_cast<std::size_t>(slot) + 1; later < slots_.size(); ++later)
        slots_[later]->stop = true;
}

void WorkerPool::StopAll() {
    cancelled_ = true;
    for (auto& slot : slots_)
        slot->stop = true;
}

const std::atomic<bool>& WorkerPool::StopFlag(int slot) const {
    return slots_[static_cast<std::size_t>(slot)]->stop;
}

void WorkerPool::SetStep(int slot, int step) {
    slots_[static_cast<std::size_t>(slot)]->step = step;
}

WorkerPool::SlotState WorkerPool::State(int slot) const {
    return slots_[static_cast<std::size_t>(slot)]->state.load();
}

int WorkerPool::Step(int slot) const {
    return slots_[static_cast<std::size_t>(slot)]->step.load();
}

int WorkerPool::DoneCount() const {
    return static_cast<int>(std::count_if(slots_.begin(), slots_.end(), [](const auto& slot) {
        return slot->state.load() == SlotState::Done;
    }));
}

int WorkerPool::FirstRunning() const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot)
        if (slots_[slot]->state.load() == SlotState::Running)
            return static_cast<int>(slot);
    return -1;
}

int WorkerPool::FirstFailed() const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot)
        if (slots_[slot]->state.load() == SlotState::Failed)
            return static_cast<int>(slot);
    return -1;
}

int WorkerPool::DonePrefix() const {
    int count = 0;
    while (count < static_cast<int>(slots_.size()) &&
           slots_[static_cast<std::size_t>(count)]->state.load() == SlotState::Done)
        ++count;
    return count;
}

void WorkerPool::RethrowFrom(int slot) const {
    // Read after Run has joined the workers, so the pointer is no longer written.
    if (const auto& error = slots_[static_cast<std::size_t>(slot)]->error)
        std::rethrow_exception(error);
}
