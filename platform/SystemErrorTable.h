#pragma once
#include "platform/FileFailure.h"

#include <span>

// One row per error code of this system that the layer knows: its kind, whether it may clear by
// itself, and its text. Linux (posix/SystemErrorTable.cpp) lists errno values, Windows
// (windows/SystemErrorTable.cpp) GetLastError() codes, in the same form, so both halves of the
// layer report failures alike.
struct SystemErrorRow {
    int code;
    FileFailure kind;
    bool mayClear;
    const char* text;
};

std::span<const SystemErrorRow> SystemErrorTable();

// The code the system reports when a failed call left none (EIO; Windows: ERROR_GEN_FAILURE).
int GenericSystemErrorCode();

// The code of the last system call (errno; Windows: GetLastError()).
int LastSystemErrorCode();
