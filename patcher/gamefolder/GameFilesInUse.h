#pragma once
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

// Why game files about to be replaced cannot be: the message for the first one held open,
// else for the first one marked read-only (Windows); "" when every one can be replaced.
std::string WhyGameFilesCannotBeReplaced(const std::vector<std::string>& paths);
