#pragma once
#include "platform/SystemError.h"

#include <string>
#include <vector>

// Administrator rights: whether this process has them, and restarting this program with them
// (Windows asks the user through its elevation prompt). Palisor runs as the user and asks for
// the rights only when the game folder needs them.

// Windows: the process token is elevated (TokenElevation); POSIX: the effective user is root.
bool RunsElevated();

// Whether RestartElevated can work on this system: Windows yes; POSIX never (a window must
// not offer sudo).
bool CanRestartElevated();

enum class RestartOutcome {
    Started,     // the elevated copy runs; this one should close
    Declined,    // the user said no to the elevation prompt
    Failed,      // the copy could not be started
    Unavailable, // this system has no way to do it
};

// Starts this program's executable again with administrator rights and these arguments
// (Windows: ShellExecuteExW with the "runas" verb on GetModuleFileNameW's path). Returns once
// the copy has started or failed; this process goes on either way. error, when given, tells
// why it was not Started.
RestartOutcome RestartElevated(const std::vector<std::string>& arguments,
                               SystemError* error = nullptr);
