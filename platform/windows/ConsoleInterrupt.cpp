#include "platform/ConsoleInterrupt.h"

#include <windows.h>

#include <atomic>

namespace {

// Set on the thread the system starts for the console event, read on the main thread.
std::atomic<bool> interruptSeen{false};

BOOL WINAPI NoteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console still ends the program
    interruptSeen = true;
    return TRUE;
}

} // namespace

void StartNotingInterrupts() {
    interruptSeen = false;
    SetConsoleCtrlHandler(NoteInterrupt, TRUE);
}

void StopNotingInterrupts() {
    SetConsoleCtrlHandler(NoteInterrupt, FALSE);
}

bool InterruptNoted() {
    return interruptSeen;
}
