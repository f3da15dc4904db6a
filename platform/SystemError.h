#pragma once
#include "platform/FileFailure.h"

#include <string>

// Why a platform call failed: the system call that failed, the path it was given and the
// system's own error code (errno on Linux, GetLastError() on Windows), taken right after the
// call so that no later call can overwrite it. Each system turns its codes into kinds and text
// through one table of its own (SystemErrorTable.h). A default SystemError (code 0) is no error.
struct SystemError {
    std::string call; // "rename", "MoveFileExW", ...
    std::string path; // the path the call was given; may be empty
    int code = 0;

    // The kind callers act on (None for code 0, Other for a code the table lacks).
    FileFailure Kind() const;
    // True when the error may clear by itself in a moment: another program holds the file (an
    // antivirus or indexer scanning a fresh file, the game closing). Such calls are retried.
    bool MayClear() const;
    // The cause for a user who asks: "MoveFileExW on C:\Games\BFV\music.rfa: sharing violation
    // (32)", or "write: disk full (112)" without a path. "" for no error.
    std::string Describe() const;

    // The error the last system call left (errno; Windows: GetLastError()). Never code 0: a call
    // that failed without saying why gets the system's generic input/output error.
    static SystemError Last(std::string call, std::string path);
    // An error of the given kind with this system's usual code for it: one that does not clear
    // by itself, except for Busy. For the fault seam, and for refusals the layer decides itself.
    static SystemError OfKind(FileFailure kind, std::string call, std::string path);
};
