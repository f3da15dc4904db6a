#pragma once
#include "platform/FileResult.h"

#include <chrono>
#include <functional>

// On Windows a file that another program holds for a moment (an antivirus or an indexer
// scanning a file just written, the game closing) refuses to be opened, renamed or deleted
// with a sharing violation, a lock violation or access denied. Those calls are tried again
// with a growing pause (25, 50, 100 ... ms) for up to kHeldFileBudget in all, as SQLite's
// winIoerrCanRetry does; only then is the file reported as held open (FileFailure::Busy).
// Linux never refuses a held file, so there only the fault seam's busy failures are retried.
inline constexpr std::chrono::milliseconds kHeldFileBudget{2000};
inline constexpr std::chrono::milliseconds kFirstHeldFilePause{25};

// Runs attempt until it succeeds, fails with an error that does not clear by itself
// (SystemError::MayClear), or the budget is spent; returns its last result. The pauses go
// through FaultInjection::Pause, so tests drive them without waiting.
FileResult RetryWhileHeld(const std::function<FileResult()>& attempt);
