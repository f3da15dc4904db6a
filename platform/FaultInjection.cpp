#include "platform/FaultInjection.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

constexpr int kKinds = 7;

std::atomic<bool> counting{false};
std::atomic<int> taken[kKinds];
// The armed fault and the seam's clock change together; a mutex keeps them whole. Only an
// active seam takes it.
std::mutex armed;
int failKind = -1;
int failAt = 0;
FaultInjection::Effect effect = FaultInjection::Effect::Fail;
long long seamClock = 0;  // milliseconds
long long busySince = -1; // the clock at the first busy failure
long long busyFailures = 0;

int Index(FileStep step) {
    return static_cast<int>(step);
}

FileFailure FailureFor(FileStep step) {
    switch (step) {
    case FileStep::Create:
    case FileStep::Rename:
    case FileStep::Remove:
    case FileStep::Move:
    case FileStep::Open:
        return FileFailure::Refused;
    case FileStep::Write:
        return FileFailure::NoSpace;
    case FileStep::Flush:
        return FileFailure::Other;
    }
    return FileFailure::Other;
}

void Reset(int kind, int nth, FaultInjection::Effect armedEffect) {
    std::lock_guard lock(armed);
    for (auto& count : taken)
        count = 0;
    failKind = kind;
    failAt = nth;
    effect = armedEffect;
    seamClock = 0;
    busySince = -1;
    busyFailures = 0;
}

} // namespace

const FaultInjection::Effect FaultInjection::Effect::Fail{Kind::Fail, 0};
const FaultInjection::Effect FaultInjection::Effect::Crash{Kind::Crash, 0};

FaultInjection::Effect FaultInjection::Effect::BusyTimes(int attempts) {
    return {Kind::BusyTimes, attempts};
}

FaultInjection::Effect FaultInjection::Effect::BusyFor(std::chrono::milliseconds time) {
    return {Kind::BusyFor, time.count()};
}

void FaultInjection::Arm(FileStep step, int nth, Effect armedEffect) {
    Reset(Index(step), nth, armedEffect);
    counting = true;
}

void FaultInjection::Count() {
    Reset(-1, 0, Effect::Fail);
    counting = true;
}

void FaultInjection::Disarm() {
    counting = false;
    std::lock_guard lock(armed);
    failKind = -1;
}

int FaultInjection::Taken(FileStep step) {
    return taken[Index(step)];
}

std::optional<SystemError> FaultInjection::Fault(FileStep step, const char* call,
                                                 const std::string& path) {
    if (!counting.load(std::memory_order_relaxed))
        return std::nullopt;
    const int number = ++taken[Index(step)];
    std::lock_guard lock(armed);
    if (failKind != Index(step) || number < failAt)
        return std::nullopt;
    switch (effect.kind_) {
    case Effect::Kind::Crash:
        if (number == failAt)
            std::_Exit(86);
        return std::nullopt;
    case Effect::Kind::Fail:
        if (number != failAt)
            return std::nullopt;
        return SystemError::OfKind(FailureFor(step), call, path);
    case Effect::Kind::BusyTimes:
        if (busyFailures >= effect.amount_)
            return std::nullopt;
        break;
    case Effect::Kind::BusyFor:
        if (busySince >= 0 && seamClock - busySince >= effect.amount_)
            return std::nullopt;
        break;
    }
    if (busySince < 0)
        busySince = seamClock;
    ++busyFailures;
    return SystemError::OfKind(FileFailure::Busy, call, path);
}

bool FaultInjection::Active() {
    return counting.load(std::memory_order_relaxed);
}

void FaultInjection::Pause(std::chrono::milliseconds pause) {
    if (!Active()) {
        std::this_thread::sleep_for(pause);
        return;
    }
    std::lock_guard lock(armed);
    seamClock += pause.count();
}

std::chrono::milliseconds FaultInjection::Elapsed() {
    std::lock_guard lock(armed);
    return std::chrono::milliseconds(seamClock);
}
