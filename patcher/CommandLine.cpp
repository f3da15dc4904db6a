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

std::string PalisorVersionLine() {
    return std::string("Palisor ") + ProgramVersion();
}

// The declared options, bound to the fields they fill. Each mode is one option; at most one
// is given, and the options that complete a mode need it.
struct PatcherOptions : CommandLineProgram {
    std::string gameFolderValue;

    explicit PatcherOptions(PatcherArguments& parsed)
        : CommandLineProgram(
              "palisor",
              "Palisor installs Korvane music packs into Battlefield Vietnam; without options it\n"
              "opens its window.",
              std::string(GameSearchHelp().footer) + kVirtualStoreFooter, PalisorVersionLine()) {
        CommandLineOptions& options = Options();
        options.AddFlag("--backup", "Back up the game's Default.con and music.rfa");
        options.AddFlag("--restore", "Put the backed-up files back");
        options.Add("--apply", parsed.pack, "PACK.velk", "Install a music pack");
        options.Add("--unpack", parsed.archive, "ARCHIVE", "Extract a flat archive into --to")
            ->needs(
                options.Add("--to", parsed.target, "FOLDER", "The folder --unpack extracts into"));
        options.Add("--game-folder", gameFolderValue, "DIR",
                    "The game folder, for the window or an operation");
        options.AddFlag("--find-games", GameSearchHelp().findGames);
        options.AddFlag("--verbose", "Print the archive reader's line for each entry");
        options.AddFlag("--move-virtualstore", "Move the VirtualStore copies into the backups")
            ->excludes(options.AddFlag("--keep-virtualstore",
                                       "Leave the VirtualStore copies where they are"));
        options.Add("PACK.velk", parsed.pack, "", "Open the window with this pack chosen");
        options.ExcludeEachOther(kModeOptions);
        for (const std::string& mode : kModeOptions)
            options.Option("PACK.velk")->excludes(options.Option(mode));
        for (const char* given : {"--unpack", "--find-games"})
            options.Option(given)->excludes(options.Option("--game-folder"));
        options.Option("--to")->needs(options.Option("--unpack"));
    }

    inline static const std::vector<std::string> kModeOptions = {"--backup", "--restore", "--apply",
                                                                 "--unpack", "--find-games"};

    // The mode chosen by the options given (None: the window); throws for options that belong
    // to no mode.
    Mode ChosenMode() {
        const Mode modes[] = {Mode::Backup, Mode::Restore, Mode::Apply, Mode::Unpack,
                              Mode::FindGames};
        Mode chosen = Mode::None; // the window, with --game-folder, a pack, both or neither
        for (std::size_t index = 0; index < kModeOptions.size(); ++index)
            if (Options().Given(kModeOptions[index]))
                chosen = modes[index];
        if (Options().Given("--verbose") && chosen == Mode::None)
            throw CLI::RequiresError("--verbose", "an operation");
        const bool changesGame =
            chosen == Mode::Backup || chosen == Mode::Restore || chosen == Mode::Apply;
        for (const char* choice : {"--move-virtualstore", "--keep-virtualstore"})
            if (Options().Given(choice) && !changesGame)
                throw CLI::RequiresError(choice, "--backup, --restore or --apply");
        return chosen;
    }

    GameFolderController::VirtualStoreChoice VirtualStoreChoice() const {
        using Choice = GameFolderController::VirtualStoreChoice;
        return Options().Given("--move-virtualstore")   ? Choice::Move
               : Options().Given("--keep-virtualstore") ? Choice::Keep
                                                        : Choice::Ask;
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

using PalisorCommandLine = CommandLineOf<PatcherArguments, PatcherOptions>;

PatcherArguments ParsePatcherArguments(const std::vector<std::string>& args) {
    return PalisorCommandLine::Parse(args, [](PatcherOptions& options, PatcherArguments& parsed) {
        if (options.Options().Given("--game-folder"))
            parsed.gameFolder = options.gameFolderValue;
        parsed.verbose = options.Options().Given("--verbose");
        parsed.virtualStore = options.VirtualStoreChoice();
        return options.ChosenMode();
    });
}

std::string CommandLineUsage() {
    return PalisorCommandLine::Usage();
}

ExitStatus RunPatcherCommand(const PatcherArguments& arguments, CommandLineContext& context) {
    return PalisorCommandLine::Run(arguments, context.out, context.err,
                                   [&] { return RunOperation(arguments, context); });
}

ExitStatus RunCommandLine(const std::vector<std::string>& args, CommandLineContext& context) {
    return RunPatcherCommand(ParsePatcherArguments(args), context);
}
