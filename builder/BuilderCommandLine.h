#pragma once
#include <iosfwd>
#include <string>
#include <vector>

class Progress;
class Prompts;

// What the korvane command line asks for.
struct BuilderArguments {
    enum class Mode { Window, Build, Pack, Add, Help, Version, Invalid };
    Mode mode = Mode::Window;
    std::string project;            // Window (optional), Build and Add
    std::vector<std::string> songs; // Add
    bool matchLoudness = true;      // Add
    std::string output;             // Build and Pack
    std::string folder;             // Pack
    std::string prefix;             // Pack
    bool verbose = false;           // Build, Pack: diagnostic lines (none yet)
    int jobs = 0;                   // Build: songs encoded at once; 0 = one per core
    std::string error;              // Invalid: what was wrong
};

// Exit statuses of the command line.
enum BuilderExit : int { kExitDone = 0, kExitFailed = 1, kExitBadInput = 2 };

// Never fails: unknown, incomplete or conflicting arguments give Mode::Invalid with the
// reason in one line.
BuilderArguments ParseBuilderArguments(const std::vector<std::string>& arguments);

// The --help text, generated from the declared options.
std::string BuilderUsage();

// Runs a non-window mode. Message texts go through prompts (one per line on standard output
// in the program), progress through progress, --help and --version to out, argument errors
// to err. Yields kExitDone only when the operation's success was reached (for a build: the pack is
// at the destination); kExitBadInput for invalid arguments and a project file that cannot be read;
// kExitFailed for an invalid project or a failed, cancelled or undelivered build or pack.
// --add imports the songs into the project's first empty slots (creating the project file
// when it is missing) and saves it aside: kExitDone when every song went in, kExitFailed
// when any was refused (the others still go in), when it was cancelled (nothing changes) or
// when the project could not be saved.
int RunBuilderCommand(const BuilderArguments& arguments, Prompts& prompts, Progress& progress,
                      const std::string& workBaseFolder, std::ostream& out, std::ostream& err);
