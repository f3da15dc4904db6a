#pragma once
#include "common/CommandLineProgram.h"
#include "common/Progress.h"
#include "common/Prompts.h"
#include "patcher/GameFolderController.h"
#include "patcher/gamefolder/GameFolderAccess.h"
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
    // Backup, Restore, Apply: what to do with VirtualStore copies of the game's files
    GameFolderController::VirtualStoreChoice virtualStore =
        GameFolderController::VirtualStoreChoice::Ask;
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
    // Used when --game-folder is not given; a refused value is said before the operation runs.
    std::function<GameDirAnswer()> registryGameDir;
    // --find-games, which also says why a GAMEDIR is not used (the refusals, on err); when
    // empty, every prefix named by $HOME and $WINEPREFIX is searched
    std::function<std::vector<FoundGameFolder>(std::vector<std::string>& refusals)>
        findGameFolders{};
    // The system's side of the checks before a change; none: the running system's
    GameFolderAccess* access = nullptr;
};

// Never fails: no arguments, --game-folder DIR alone and a pack alone (with or without
// --game-folder) give Branch::Window; unknown, incomplete or conflicting ones give
// Branch::Invalid with the reason.
PatcherArguments ParsePatcherArguments(const std::vector<std::string>& args);

// Runs a branch other than the window. Backup, restore and apply run through
// GameFolderController as in the window, with its checks first: a game file held open (asked
// on a terminal, else refused), the rights (refused, never a restart) and VirtualStore copies
// (asked on a terminal, else decided by --move-virtualstore or
// --keep-virtualstore, else refused). Returns Done only when the operation's
// success was reached (for --find-games: a game folder was found), Failed when it failed,
// BadInput for the window's branch or invalid arguments (the reason and a pointer to --help go
// to err). Never throws: a file-layer error is written to err and yields Failed.
ExitStatus RunPatcherCommand(const PatcherArguments& arguments, CommandLineContext& context);

// Parses args (without the program name) and runs them as RunPatcherCommand does.
ExitStatus RunCommandLine(const std::vector<std::string>& args, CommandLineContext& context);

// The --help text, generated from the declared options.
std::string CommandLineUsage();
