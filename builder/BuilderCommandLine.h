#pragma once
#include "audio/SongTrim.h"
#include "common/CommandLineProgram.h"

#include <iosfwd>
#include <string>
#include <vector>

class Progress;
class Prompts;

// What the korvane command line asks for.
struct BuilderArguments {
    using Branch = CommandLineProgram::Branch;
    enum class Mode { None, Build, Pack, Add, Trim, Untrim };
    Branch branch = Branch::Window;
    Mode mode = Mode::None;         // for Branch::Operation
    std::string project;            // Window (optional), Build, Add, Trim and Untrim
    std::vector<std::string> songs; // Add
    bool matchLoudness = true;      // Add
    std::string output;             // Build and Pack
    std::string folder;             // Pack
    std::string prefix;             // Pack
    bool verbose = false;           // Build, Pack: diagnostic lines (none yet)
    int jobs = 0;                   // Build: songs encoded at once; 0 = one per core
    int slot = 0;                   // Trim, Untrim: the slot's position, 1 to 16
    SongTrim trim;                  // Trim (fades not given are none); Untrim: none
    std::string error;              // Branch::Invalid: what was wrong
};

// Never fails: unknown, incomplete or conflicting arguments give Branch::Invalid with the
// reason in one line.
BuilderArguments ParseBuilderArguments(const std::vector<std::string>& arguments);

// The --help text, generated from the declared options.
std::string BuilderUsage();

// Runs a branch other than the window. Message texts go through prompts (one per line on
// standard output in the program), progress through progress, --help and --version to out,
// argument errors to err. Yields Done only when the operation's success was reached (for a
// build: the pack is at the destination); BadInput for invalid arguments and a project file
// that cannot be read; Failed for an invalid project or a failed, cancelled or undelivered
// build or pack.
// --add imports the songs into the project's first empty slots (creating the project file
// when it is missing) and saves it aside: Done when every song went in, Failed
// when any was refused (the others still go in), when it was cancelled (nothing changes) or
// when the project could not be saved.
// --trim and --untrim set and clear a slot's trim and save the project aside: Done with a line
// telling the slot's trim; Failed when the trim is refused (its message) or the project is
// held or cannot be saved, with nothing changed.
ExitStatus RunBuilderCommand(const BuilderArguments& arguments, Prompts& prompts,
                             Progress& progress, const std::string& workBaseFolder,
                             std::ostream& out, std::ostream& err);
