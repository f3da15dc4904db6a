#pragma once
#include "common/CommandLineProgram.h"
#include "common/Progress.h"
#include "common/Prompts.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// What the palisor command line asks for.
struct PatcherArguments {
    using Branch = CommandLineProgram::Branch;
    enum class Mode { None, Backup, Restore, Apply, Unpack, FindGames };
    Branch branch = Branch::Window;
    Mode mode = Mode::None;                // for Branch::Operation
    std::optional<std::string> gameFolder; // Backup, Restore, Apply, Window; else the registry's
    std::string pack;                      // Apply; Window: the pack to open with, or ""
    std::string archive;                   // Unpack
    std::string target;                    // Unpack: the folder to extract into
    bool verbose = false; // any operation; Apply and Unpack then trace on standard output
    std::string error;    // Branch::Invalid: what was wrong, in one line
};

// What the command line runs against: the user-facing interfaces, the two text streams and
// the folder that holds the work folder.
struct CommandLineContext {
    Prompts& prompts;   // message texts, exactly as the window shows them
    Progress& progress; // the patch's progress and its Ctrl-C cancel
    std::ostream& out;  // --help, --version and the folders --find-games lists
    std::ostream& err;  // argument errors and unexpected failures
    std::string baseFolder;
    std::function<std::string()> registryGameFolder; // used when --game-folder is not given
    // --find-games; when empty, every prefix named by $HOME and $WINEPREFIX is searched
    std::function<std::vector<FoundGameFolder>()> findGameFolders{};
};

// Never fails: no arguments, --game-folder DIR alone and a pack alone (with or without
// --game-folder) give Branch::Window; unknown, incomplete or conflicting ones give
// Branch::Invalid with the reason.
PatcherArguments ParsePatcherArguments(const std::vector<std::string>& args);

// Runs a branch other than the window. The backup, restore and apply handlers run as in the
// window, after the work folder has been prepared. Returns Done only when the operation's
// success was reached (for --find-games: a game folder was found), Failed when it failed,
// BadInput for the window's branch or invalid arguments (the reason and a pointer to --help go
// to err). Never throws: a file-layer error is written to err and yields Failed.
ExitStatus RunPatcherCommand(const PatcherArguments& arguments, CommandLineContext& context);

// Parses args (without the program name) and runs them as RunPatcherCommand does.
ExitStatus RunCommandLine(const std::vector<std::string>& args, CommandLineContext& context);

// The --help text, generated from the declared options.
std::string CommandLineUsage();
