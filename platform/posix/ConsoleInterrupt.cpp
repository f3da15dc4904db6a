#include "platform/ConsoleInterrupt.h"

#include <atomic>
#include <csignal>

namespace {

// Lock-free, so safe in a signal handler, and safe to read on the main thread when the
// signal lands on a worker thread.
std::atomic<bool> interruptSeen{false};
static_assert(std::atomic<bool>::is_always_lock_free);
struct sigaction previousAction;

extern "C" void NoteInterrupt(int) {
    interruptSeen = true;
}

} // namespace

void StartNotingInterrupts() {
    interruptSeen = false;
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousAction);
}

void StopNotingInterrupts() {
    sigaction(SIGINT, &previousAction, nullptr);
}

bool InterruptNoted() {
    return interruptSeen;
}
