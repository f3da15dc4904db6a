#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Runs one task per slot (slots 0 to n-1, started in list order) on a few worker threads,
// while the calling thread keeps pumping its progress display. Only the calling thread ever
// calls the pump, so nothing that shows anything to the user runs on a worker.
//
// A slot whose task fails stops every slot after it (they end Stopped, or never start) and
// lets the slots before it finish, so the first failing slot in list order is known as a
// serial run would know it. A pump answering "cancel" stops every slot. A task sees its stop
// request through StopFlag and should then return false soon. An exception thrown by a task
// fails its slot and is kept; RethrowFrom rethrows it on the calling thread.
class WorkerPool {
public:
    enum class SlotState { Waiting, Running, Done, Failed, Stopped };

    using Task = std::function<bool(int slot)>;
    // Called on the calling thread; true asks every slot to stop.
    using Pump = std::function<bool()>;

    // threads is clamped to 1..slots.
    WorkerPool(int slots, int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // One thread per core, at most 16.
    static int DefaultThreads();
    // The workers worth starting for CPU-bound songs when asked for requested: no more than
    // the cores, since more only share them and evict each other's caches.
    static int UsefulThreads(int requested);

    // Runs the slots and returns when every started task has returned. While any runs, calls
    // pump after every slot that ends and at least every interval in between. Run once.
    void Run(const Task& task, const Pump& pump,
             std::chrono::milliseconds interval = std::chrono::milliseconds(50));

    // For the task of a slot: true once the slot should give up.
    const std::atomic<bool>& StopFlag(int slot) const;
    // For the task of a slot: the step it is at (1, 2, ...), for the progress display.
    void SetStep(int slot, int step);

    // Readable from the calling thread during a pump and after Run.
    SlotState State(int slot) const;
    int Step(int slot) const;
    int DoneCount() const;
    int FirstRunning() const; // -1 when none runs
    int FirstFailed() const;  // -1 when none failed
    int DonePrefix() const;   // slots 0..k-1 are Done
    bool Cancelled() const { return cancelled_; }
    // Rethrows the exception that failed the slot, if one did.
    void RethrowFrom(int slot) const;

private:
    struct Slot {
        std::atomic<SlotState> state{SlotState::Waiting};
        std::atomic<int> step{0};
        std::atomic<bool> stop{false};
        std::exception_ptr error;
    };

    void Work(const Task& task);
    void RunSlot(const Task& task, int slot);
    void StopAfter(int slot);
    void StopAll();
    void NoteEnded();

    std::vector<std::unique_ptr<Slot>> slots_;
    int threads_;
    std::atomic<int> next_{0};
    bool cancelled_ = false;
    std::mutex mutex_;
    std::condition_variable ended_;
    int endedCount_ = 0;
    int workersLeft_ = 0;
};
