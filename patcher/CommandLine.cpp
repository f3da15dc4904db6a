#include "patcher/CommandLine.h"

#include "archive/UnpackArchive.h"
#include "common/CommandLineProgram.h"
#include "common/EscapeForTerminal.h"
#include "common/ProgramVersion.h"
#include "common/ProgressCloser.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "patcher/gamefolder/SystemGameFolderAccess.h"
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
    CLI::Option* moveCopies = nullptr;
    CLI::Option* keepCopies = nullptr;
    CLI::Option* windowPack = nullptr;

    explicit PatcherOptions(PatcherArguments& parsed)
        : CommandLineProgram(
              "palisor",
              "Palisor installs Korvane music packs into Battlefield Vietnam; without options it\n"
              "opens its window.",
              std::string(GameSearchHelp().footer) + kVirtualStoreFooter, PalisorVersionLine()) {
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
        moveCopies =
            options.AddFlag("--move-virtualstore", "Move the VirtualStore copies into the backups");
        keepCopies =
            options.AddFlag("--keep-virtualstore", "Leave the VirtualStore copies where they are");
        windowPack =
            options.Add("PACK.velk", parsed.pack, "", "Open the window with this pack chosen");
        ExcludeEachOther({backup, restore, apply, unpack, findGames});
        for (CLI::Option* mode : {backup, restore, apply, unpack, findGames})
            windowPack->excludes(mode);
        unpack->needs(to)->excludes(gameFolder);
        moveCopies->excludes(keepCopies);
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
        Mode chosen = Mode::None; // the window, with --game-folder, a pack, both or neither
        for (const auto& [option, mode] : modes)
            if (*option)
                chosen = mode;
        if (*verbose && chosen == Mode::None)
            throw CLI::RequiresError("--verbose", "an operation");
        const bool changesGame =
            chosen == Mode::Backup || chosen == Mode::Restore || chosen == Mode::Apply;
        for (const CLI::Option* choice : {moveCopies, keepCopies})
            if (*choice && !changesGame)
                throw CLI::RequiresError(choice->get_name(), "--backup, --restore or --apply");
        return chosen;
    }

    GameFolderController::VirtualStoreChoice VirtualStoreChoice() const {
        using Choice = GameFolderController::VirtualStoreChoice;
        return *moveCopies ? Choice::Move : *keepCopies ? Choice::Keep : Choice::Ask;
    }

    static constexpr const char* kVirtualStoreFooter =
        "Windows: when the game reads copies of its files from VirtualStore, --backup,\n"
        "--restore and --apply ask what to do with them; with no terminal to ask on they\n"
        "stop, unless --move-virtualstore or --keep-virtualstore says.\n";
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
    std::vector<std::string> refusals;
    const std::vector<FoundGameFolder> found =
        context.findGameFolders ? context.findGameFolders(refusals)
                                : FindGameFolders(DiscoveryPlaces::FromEnvironment(), &refusals);
    for (const auto& game : found)
        context.out << EscapeForTerminal(game.folder) << '\t' << game.prefixKind << '\n';
    for (const std::string& refusal : refusals)
        context.err << "palisor: " << EscapeForTerminal(refusal) << '\n';
    if (found.empty())
        context.err << "palisor: no game folder found\n";
    return found.empty() ? ExitStatus::Failed : ExitStatus::Done;
}

ExitStatus RunGameAction(const PatcherArguments& arguments, CommandLineContext& context) {
    std::string gameFolder;
    if (arguments.gameFolder) {
        gameFolder = *arguments.gameFolder;
    } else if (context.registryGameDir) {
        const GameDirAnswer registry = context.registryGameDir();
        if (!registry.refusal.empty())
            context.prompts.Message(registry.refusal);
        gameFolder = registry.folder;
    }
    SystemGameFolderAccess system;
    GameFolderController controller(context.baseFolder, context.prompts,
                                    context.access ? *context.access : system,
                                    GameFolderController::Front::CommandLine);
    controller.SetVirtualStoreChoice(arguments.virtualStore);
    controller.ChooseGameFolder(gameFolder);
    controller.ChoosePack(arguments.pack);
    if (!controller.Start())
        return ExitStatus::Failed;
    bool done = false;
    if (arguments.mode == Mode::Backup)
        done = controller.Backup();
    else if (arguments.mode == Mode::Restore)
        done = controller.Restore();
    else
        done = controller.Apply(context.progress, TraceOf(arguments));
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
    parsed.virtualStore = options.VirtualStoreChoice();
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
