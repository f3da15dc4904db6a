#pragma once
#include "platform/SystemError.h"

#include <functional>
#include <string>
#include <vector>

// Game files another program holds open cannot be replaced on Windows while it runs (a
// sharing violation): an install or restore finds that out before it changes anything.

// Whether another program holds a file open (platform's HeldOpenByAnother; never on Linux).
using HeldOpenCheck = std::function<bool(const std::string& path)>;

// The first of paths that is held open, or "" when none is.
std::string FirstFileInUse(const std::vector<std::string>& paths, const HeldOpenCheck& heldOpen);
std::string FirstFileInUse(const std::vector<std::string>& paths);

// "Couldn't do it - <path> is in use by another program (is the game running?). Close the
// game, then try again. Nothing was changed."
std::string FileInUseMessage(const std::string& path);

// Whether a failed step's cause is another program holding the file past the retry (Busy).
bool HeldByAnother(const SystemError& cause);

// "Can't do it - the backup <path> is held open by another program, so Palisor cannot read it
// now. Close that program, then try again. The backup is kept, and nothing was changed."
std::string HeldBackupMessage(const std::string& path);

// Why game files about to be replaced cannot be: the message for the first one held open,
// else for the first one marked read-only (Windows); "" when every one can be replaced.
std::string WhyGameFilesCannotBeReplaced(const std::vector<std::string>& paths);
