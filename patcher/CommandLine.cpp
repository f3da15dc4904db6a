#include "patcher/CommandLine.h"

#include "archive/UnpackArchive.h"
#include "common/CommandLineProgram.h"
#include "common/EscapeForTerminal.h"
#include "common/ProgramVersion.h"
#include "common/ProgressCloser.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "patcher/install/WorkFolderSession.h"
#include "platform/FileOps.h"

#include <exception>
#include <ostream>
#include <utility>

namespace {

using Mode = PatcherArguments::Mode;
using Branch = CommandLineProgram::Branch;

std::string PalisorVersionLine() {
    return std::string("Palisor ") + ProgramVersion();
}

// The declared options, bound to the fields they fill. Each mode is one option; at most one
// is given, and the options that complete a mode need it.
struct PatcherOptions : CommandLineProgram {
    std::string gameFolderValue;
    CLI::Option* gameFolder = nullptr;
    CLI::Option* backup = nullptr;
    CLI::Option* restore = nullptr;
    CLI::Option* apply = nullptr;
    CLI::Option* unpack = nullptr;
    CLI::Option* to = nullptr;
    CLI::Option* findGames = nullptr;
    CLI::Option* verbose = nullptr;
    CLI::Option* windowPack = nullptr;

    explicit PatcherOptions(PatcherArguments& parsed)
        : CommandLineProgram(
              "palisor",
              "Palisor installs Korvane music packs into Battlefield Vietnam; without options it\n"
              "opens its window.",
              GameSearchHelp().footer, PalisorVersionLine()) {
        CommandLineOptions& options = Options();
        backup = options.AddFlag("--backup", "Back up the game's Default.con and music.rfa");
        restore = options.AddFlag("--restore", "Put the backed-up files back");
        apply = options.Add("--apply", parsed.pack, "PACK.velk", "Install a music pack");
        unpack =
            options.Add("--unpack", parsed.archive, "ARCHIVE", "Extract a flat archive into --to");
        to = options.Add("--to", parsed.target, "FOLDER", "The folder --unpack extracts into");
        gameFolder = options.Add("--game-folder", gameFolderValue, "DIR",
                                 "The game folder, for the window or an operation");
        findGames = options.AddFlag("--find-games", GameSearchHelp().findGames);
        verbose = options.AddFlag("--verbose", "Print the archive reader's line for each entry");
        windowPack =
            options.Add("PACK.velk", parsed.pack, "", "Open the window with this pack chosen");
        ExcludeEachOther({backup, restore, apply, unpack, findGames});
        for (CLI::Option* mode : {backup, restore, apply, unpack, findGames})
            windowPack->excludes(mode);
        unpack->needs(to)->excludes(gameFolder);
        findGames->excludes(gameFolder);
        to->needs(unpack);
    }

    static void ExcludeEachOther(const std::vector<CLI::Option*>& modes) {
        for (CLI::Option* mode : modes)
            for (CLI::Option* other : modes)
                if (other != mode)
                    mode->excludes(other);
    }

    // The mode chosen by the options given (None: the window); throws for options that belong
    // to no mode.
    Mode ChosenMode() const {
        const std::pair<const CLI::Option*, Mode> modes[] = {{backup, Mode::Backup},
                                                             {restore, Mode::Restore},
                                                             {apply, Mode::Apply},
                                                             {unpack, Mode::Unpack},
                                                             {findGames, Mode::FindGames}};
        for (const auto& [option, mode] : modes)
            if (*option)
                return mode;
        if (*verbose)
            throw CLI::RequiresError("--verbose", "an operation");
        return Mode::None; // the window, with --game-folder, a pack, both or neither
    }
};

// The window's buttons do not exist on the command line.
class NoControls : public BackupControls {
public:
    void EnableBackupButton(bool) override {}
    void EnableRestoreButton(bool) override {}
    void ShowBusyCursor(bool) override {}
};

std::FILE* TraceOf(const PatcherArguments& arguments) {
    return arguments.verbose ? stdout : nullptr;
}

// Ctrl-C reaches the extraction through the progress display, as it reaches the patch.
ExitStatus Unpack(const PatcherArguments& arguments, CommandLineContext& context) {
    if (!FolderExists(arguments.target) && !CreateFolder(arguments.target)) {
        context.err << "palisor: cannot create folder " << EscapeForTerminal(arguments.target)
                    << "\n";
        return ExitStatus::Failed;
    }
    ProgressCloser closer(context.progress);
    const bool opened = context.progress.Open("Unpacking", false);
    context.progress.SetText("Unpacking " + EscapeForTerminal(arguments.archive));
    const auto cancelled = [&] { return opened && context.progress.Pump(false); };
    if (!UnpackArchive(arguments.archive, arguments.target, TraceOf(arguments), cancelled)) {
        context.err << "palisor: cannot unpack " << EscapeForTerminal(arguments.archive) << "\n";
        return ExitStatus::Failed;
    }
    return ExitStatus::Done;
}

ExitStatus FindGames(CommandLineContext& context) {
    const std::vector<FoundGameFolder> found =
        context.findGameFolders ? context.findGameFolders()
                                : FindGameFolders(DiscoveryPlaces::FromEnvironment());
    for (const auto& game : found)
        context.out << EscapeForTerminal(game.folder) << '\t' << game.prefixKind << '\n';
    if (found.empty())
        context.err << "palisor: no game folder found\n";
    return found.empty() ? ExitStatus::Failed : ExitStatus::Done;
}

ExitStatus RunGameAction(const PatcherArguments& arguments, CommandLineContext& context) {
    std::string gameFolder = arguments.gameFolder         ? *arguments.gameFolder
                             : context.registryGameFolder ? context.registryGameFolder()
                                                          : std::string();
    WorkFolderSession session;
    if (!session.Begin(context.baseFolder, context.prompts))
        return ExitStatus::Failed;
    NoControls controls;
    bool done = false;
    if (arguments.mode == Mode::Backup)
        done = BackupOriginals(gameFolder, context.prompts, controls);
    else if (arguments.mode == Mode::Restore)
        done = RestoreOriginals(gameFolder, context.prompts, controls);
    else
        done = ApplyPatch(gameFolder, arguments.pack, context.baseFolder, context.prompts,
                          context.progress, TraceOf(arguments));
    return done ? ExitStatus::Done : ExitStatus::Failed;
}

ExitStatus RunOperation(const PatcherArguments& arguments, CommandLineContext& context) {
    switch (arguments.mode) {
    case Mode::Unpack:
        return Unpack(arguments, context);
    case Mode::FindGames:
        return FindGames(context);
    case Mode::Backup:
    case Mode::Restore:
    case Mode::Apply:
        return RunGameAction(arguments, context);
    case Mode::None:
        break;
    }
    return ExitStatus::BadInput;
}

} // namespace

PatcherArguments ParsePatcherArguments(const std::vector<std::string>& args) {
    PatcherArguments parsed;
    PatcherOptions options(parsed);
    const Branch branch = options.Parse(args, [&] {
        parsed.mode = options.ChosenMode();
        return parsed.mode != Mode::None;
    });
    if (branch != Branch::Operation && branch != Branch::Window) {
        PatcherArguments only; // the values of a failed parse mean nothing
        only.branch = branch;
        only.error = options.Error();
        return only;
    }
    parsed.branch = branch;
    if (*options.gameFolder)
        parsed.gameFolder = options.gameFolderValue;
    parsed.verbose = static_cast<bool>(*options.verbose);
    return parsed;
}

std::string CommandLineUsage() {
    PatcherArguments unused;
    return PatcherOptions(unused).Usage();
}

ExitStatus RunPatcherCommand(const PatcherArguments& arguments, CommandLineContext& context) {
    PatcherArguments unused;
    PatcherOptions program(unused);
    return program.Run(arguments.branch, arguments.error, context.out, context.err,
                       [&] { return RunOperation(arguments, context); });
}

ExitStatus RunCommandLine(const std::vector<std::string>& args, CommandLineContext& context) {
    return RunPatcherCommand(ParsePatcherArguments(args), context);
}
