#include "platform/FaultInjection.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr int kKinds = 4;

std::atomic<bool> counting{false};
std::atomic<int> failKind{-1};
std::atomic<int> failAt{0};
std::atomic<bool> crash{false};
std::atomic<int> taken[kKinds];

int Index(FileStep step) {
    return static_cast<int>(step);
}

int ErrorFor(FileStep step) {
    switch (step) {
    case FileStep::Create:
        return EROFS;
    case FileStep::Write:
        return ENOSPC;
    case FileStep::Rename:
        return EACCES;
    case FileStep::Flush:
        return EIO;
    }
    return EIO;
}

void ResetCounts() {
    for (auto& count : taken)
        count = 0;
}

} // namespace

void FaultInjection::Arm(FileStep step, int nth, Effect effect) {
    ResetCounts();
    crash = effect == Effect::Crash;
    failKind = Index(step);
    failAt = nth;
    counting = true;
}

void FaultInjection::Count() {
    ResetCounts();
    failKind = -1;
    counting = true;
}

void FaultInjection::Disarm() {
    counting = false;
    failKind = -1;
}

int FaultInjection::Taken(FileStep step) {
    return taken[Index(step)];
}

bool FaultInjection::ShouldFail(FileStep step) {
    if (!counting.load(std::memory_order_relaxed))
        return false;
    const int number = ++taken[Index(step)];
    if (failKind != Index(step) || number != failAt)
        return false;
    if (crash)
        std::_Exit(86);
    errno = ErrorFor(step);
    return true;
}

bool FaultInjection::Active() {
    return counting.load(std::memory_order_relaxed);
}
