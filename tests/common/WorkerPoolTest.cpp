#include "common/WorkerPool.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;
using State = WorkerPool::SlotState;

// Waits for the slot's stop request, for at most the given time; false when it came.
bool RunsUnlessStopped(const WorkerPool& pool, int slot, std::chrono::milliseconds most) {
    const auto end = std::chrono::steady_clock::now() + most;
    while (std::chrono::steady_clock::now() < end)
        if (pool.StopFlag(slot).load())
            return false;
    return true;
}

TEST(WorkerPoolTest, FirstFailingSlotInListOrderWinsAndLaterSlotsStop) {
    WorkerPool pool(16, 16); // all at once, so slot 11 fails before slot 5
    const auto caller = std::this_thread::get_id();
    bool pumpedElsewhere = false;
    pool.Run(
        [&](int slot) {
            if (slot == 10)
                throw std::runtime_error("slot 11 fails first");
            if (slot == 4) { // fails only once slot 11 has
                const auto end = std::chrono::steady_clock::now() + 10s;
                while (pool.State(10) != State::Failed && std::chrono::steady_clock::now() < end)
                    std::this_thread::sleep_for(1ms);
                return false;
            }
            return RunsUnlessStopped(pool, slot, 100ms);
        },
        [&] {
            pumpedElsewhere |= std::this_thread::get_id() != caller;
            return false;
        },
        5ms);
    EXPECT_FALSE(pumpedElsewhere);
    EXPECT_FALSE(pool.Cancelled());
    EXPECT_EQ(pool.FirstFailed(), 4);
    EXPECT_EQ(pool.DonePrefix(), 4);
    EXPECT_EQ(pool.State(10), State::Failed);
    for (int slot : {5, 6, 7, 8, 9, 11, 15})
        EXPECT_EQ(pool.State(slot), State::Stopped) << slot;
    EXPECT_NO_THROW(pool.RethrowFrom(4));
    EXPECT_THROW(pool.RethrowFrom(10), std::runtime_error); // on the calling thread
}

TEST(WorkerPoolTest, PumpAnsweringCancelStopsEverySlot) {
    WorkerPool pool(16, 3);
    int pumps = 0;
    pool.Run([&](int slot) { return RunsUnlessStopped(pool, slot, 10s); },
             [&] { return ++pumps == 2; }, 5ms);
    EXPECT_TRUE(pool.Cancelled());
    EXPECT_EQ(pool.FirstFailed(), -1);
    EXPECT_EQ(pool.DoneCount(), 0);
    for (int slot = 0; slot < 16; ++slot)
        EXPECT_EQ(pool.State(slot), State::Stopped) << slot;
}

} // namespace
