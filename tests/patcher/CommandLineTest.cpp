#include "patcher/CommandLine.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "tests/patcher/FakeGameFolderAccess.h"
#include "tests/patcher/GameScene.h"
#include "tests/support/ChosenBranch.h"
#include "tests/support/Environment.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <utility>

namespace {

using Messages = std::vector<std::string>;

class CommandLineTest : public ::testing::Test, protected GameScene {
protected:
    void SetUp() override { ASSERT_TRUE(FolderExists(base)); }

    int Run(const std::vector<std::string>& args) {
        prompts.messages.clear();
        out.str("");
        err.str("");
        CommandLineContext context{prompts, progress, out, err, base, [this] {
                                       ++registryReads;
                                       return registryAnswer;
                                   }};
        context.findGameFolders = findGameFolders;
        context.access = &access;
        return ExitCode(RunCommandLine(args, context));
    }

    GameDirAnswer registryAnswer;
    int registryReads = 0;
    std::function<std::vector<FoundGameFolder>(std::vector<std::string>&)> findGameFolders;
    FakeGameFolderAccess access;
    std::ostringstream out, err;
};

TEST_F(CommandLineTest, BackupApplyRestoreRoundTripLeavesTheGameAsItWas) {
    auto original = TreeSnapshot(game);
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    EXPECT_EQ(prompts.messages, Messages{"Your files are now backed up in: " + Game().Backups()});
    EXPECT_EQ(Run({"--game-folder", game, "--apply", pack}), 0);
    EXPECT_EQ(prompts.messages, Messages{"Patching Is Done!"});
    EXPECT_EQ(Run({"--restore", "--game-folder", game}), 0);
    EXPECT_EQ(prompts.messages, Messages{"Your original files have been restored."});
    for (const char* left : {"custom_music", "custom_music/backups", "custom_music/US.ssc",
                             "custom_music/playlists.con", "custom_music/palisor.installed"})
        original[left] = TreeSnapshot(game)[left];
    EXPECT_EQ(TreeSnapshot(game), original);
    EXPECT_EQ(registryReads, 0);
}

TEST_F(CommandLineTest, FailuresExitWithOneAfterTheirMessage) {
    EXPECT_EQ(Run({"--game-folder", game, "--restore"}), 1);
    EXPECT_EQ(prompts.messages,
              Messages{"Can't do it - the backup files have been removed - what did you do!?"});
    EXPECT_EQ(Run({"--game-folder", game, "--apply", temp.file("none.velk")}), 1);
    EXPECT_EQ(prompts.messages, Messages{"Back up your originals first."});
}

TEST_F(CommandLineTest, WithoutGameFolderTheRegistryValueIsUsed) {
    EXPECT_EQ(Run({"--backup"}), 1);
    EXPECT_EQ(prompts.messages, Messages{"Can't do it - you need to locate the BFV folder!"});
    // A value that names no folder says why first.
    registryAnswer = GameDirAnswer::Of(".", ".", "the registry");
    EXPECT_EQ(Run({"--backup"}), 1);
    EXPECT_EQ(prompts.messages, (Messages{registryAnswer.refusal,
                                          "Can't do it - you need to locate the BFV folder!"}));
    registryAnswer = GameDirAnswer::Of(game, game, "the registry");
    EXPECT_EQ(Run({"--backup"}), 0);
    EXPECT_EQ(registryReads, 3);
}

// The window's checks before a change, on the command line: a question is asked on a
// terminal only, and without one the command is refused with what to do; a restart as
// administrator is never offered.
TEST_F(CommandLineTest, AGameFileHeldOpenIsAskedAboutOnATerminalOnly) {
    const std::string question =
        Game().DefaultCon() +
        " is in use by another program (is the game running?). Close the game, then press "
        "Retry. Nothing was changed.";
    const auto before = TreeSnapshot(game);
    access.heldChecksLeft = 1;
    prompts.canAsk = false;
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 1);
    EXPECT_EQ(prompts.messages, Messages{FileInUseMessage(Game().DefaultCon())});
    EXPECT_TRUE(prompts.questions.empty());
    prompts.canAsk = true;
    access.heldChecksLeft = 1;
    prompts.questionAnswers = {Prompts::Answer::Cancel};
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 1);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(TreeSnapshot(game), before);
    access.heldChecksLeft = 1;
    prompts.questionAnswers = {Prompts::Answer::Retry};
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    EXPECT_EQ(prompts.questions, (Messages{question, question}));
    EXPECT_EQ(prompts.questionButtons.back(), Prompts::Buttons::RetryCancel);
}

TEST_F(CommandLineTest, AFolderNeedingRightsIsRefusedWithoutARestart) {
    const std::string archives = WithSystemSeparators(JoinPath(game, "Mods/BfVietnam/Archives"));
    access.deniedFolders = {archives};
    ASSERT_EQ(Run({"--game-folder", game, "--backup"}), 1);
    struct Row {
        bool elevated, canRestart;
        std::string message;
    };
    const Row rows[] = {
        {false, true, // Windows
         "Only an administrator may change files in " + archives +
             ". Run palisor from a command prompt opened as administrator. Nothing was changed."},
        {true, true,
         "Couldn't do it - Palisor may not change files in " + archives +
             ", even as administrator. Check the folder's permissions (in its Properties, "
             "Security), then try again. Nothing was changed."},
        {false, false, // Linux
         "Couldn't do it - you may not change files in " + archives +
             ". Give your user permission to write the game folder, then try again. Nothing was "
             "changed."},
    };
    const auto before = TreeSnapshot(game);
    for (const Row& row : rows) {
        access.elevated = row.elevated;
        access.canRestart = row.canRestart;
        for (const char* mode : {"--backup", "--restore"}) {
            EXPECT_EQ(Run({"--game-folder", game, mode}), 1) << mode;
            EXPECT_EQ(prompts.messages, Messages{row.message}) << mode;
        }
        EXPECT_EQ(Run({"--game-folder", game, "--apply", pack}), 1);
        EXPECT_EQ(prompts.messages, Messages{row.message});
    }
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(access.restarts.empty());
    EXPECT_EQ(TreeSnapshot(game), before);
}

TEST_F(CommandLineTest, VirtualStoreCopiesAreAskedAboutOrDecidedByAnOption) {
    ASSERT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    access.programFiles = {temp.path()};
    access.localAppData = temp.file("Local");
    const VirtualStoreCopies copies(game, access.programFiles, access.localAppData);
    const std::string copy = JoinPath(copies.Mirror(), GameFolder::kMusicRfaInFolder);
    const auto placeCopy = [&] {
        std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
        WriteFileBytes(copy, "what an older tool wrote");
    };
    const std::string refusal =
        "The game reads copies of its files from VirtualStore (" + copies.Mirror() +
        "), not from the game folder, so it would not see what Palisor changes there. Nothing "
        "was changed. Run palisor again with --move-virtualstore to move them aside into " +
        JoinPath("custom_music", "backups") +
        ", where they are kept, or with --keep-virtualstore to leave them where they are.";
    const std::string kept = "The copies in " + copies.Mirror() +
                             " were left where they are: the game will keep reading them instead "
                             "of the files Palisor changes.";
    struct Row {
        std::string label;
        bool terminal;
        std::optional<Prompts::Answer> answer; // none: no question is asked
        std::string option;
        int status;
        std::string firstMessage; // "" when the action's own message comes first
        bool copyStays;
    };
    const Row rows[] = {
        {"no terminal", false, std::nullopt, "", 1, refusal, true},
        {"terminal, Cancel", true, Prompts::Answer::Cancel, "", 1, "", true},
        {"terminal, No", true, Prompts::Answer::No, "", 0, kept, true},
        {"terminal, Yes", true, Prompts::Answer::Yes, "", 0, "", false},
        {"keep", false, std::nullopt, "--keep-virtualstore", 0, kept, true},
        {"move", false, std::nullopt, "--move-virtualstore", 0, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        placeCopy();
        prompts = FakePrompts();
        prompts.canAsk = row.terminal;
        if (row.answer)
            prompts.questionAnswers = {*row.answer};
        std::vector<std::string> args = {"--game-folder", game, "--apply", pack};
        if (!row.option.empty())
            args.push_back(row.option);
        WriteFileBytes(Game().MusicRfa(), kGameMusicRfa);
        EXPECT_EQ(Run(args), row.status);
        EXPECT_EQ(prompts.questions.size(), row.answer ? 1u : 0u);
        if (row.answer) {
            EXPECT_EQ(prompts.questionButtons[0], Prompts::Buttons::YesNoCancel);
        }
        if (!row.firstMessage.empty()) {
            EXPECT_EQ(prompts.messages.front(), row.firstMessage);
        }
        const bool done =
            !prompts.messages.empty() && prompts.messages.back() == "Patching Is Done!";
        EXPECT_EQ(done, row.status == 0);
        EXPECT_EQ(ReadFileBytes(Game().MusicRfa()) == kGameMusicRfa, row.status != 0);
        EXPECT_EQ(FileExists(copy), row.copyStays);
    }
}

TEST_F(CommandLineTest, TheWorkFolderIsPreparedFirst) {
    WriteFileBytes(JoinPath(base, "work"), "a file in the way");
    ASSERT_TRUE(CreateFolder(JoinPath(base, "old")));
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    EXPECT_TRUE(FolderExists(WorkFolderIn(base)));
    base = WithSystemSeparators(temp.file("missing/base"));
    EXPECT_EQ(Run({"--game-folder", game, "--restore"}), 1);
    EXPECT_EQ(prompts.messages,
              Messages{"Error while trying to create folder: " + WorkFolderIn(base)});
}

TEST_F(CommandLineTest, UnpackExtractsIntoTheTargetFolder) {
    WriteFileBytes(temp.file("a.rfa"), FlatArchiveBytes({{"music/US/a.wav", "abc"}}, true));
    EXPECT_EQ(Run({"--unpack", temp.file("a.rfa"), "--to", temp.file("out")}), 0);
    EXPECT_EQ(ReadFileBytes(temp.file("out/music/US/a.wav")), "abc");
    EXPECT_EQ(Run({"--unpack", temp.file("absent.rfa"), "--to", temp.file("out")}), 1);
    EXPECT_NE(err.str().find("cannot unpack"), std::string::npos);
}

// The archive reader's trace reaches standard output only with --verbose, names escaped;
// Ctrl-C (the progress display's cancel) stops an extraction and leaves nothing behind.
TEST_F(CommandLineTest, TraceLinesOnlyWithVerboseAndCtrlCStopsUnpacking) {
    // Pack names hold no C0 controls on any system; DEL and the C1 CSI are terminal controls
    // they may hold.
    const std::string hostile = "b\x7f\xc2\x9b"
                                "2J.wav",
                      shown = "b\\x7F\\xC2\\x9B2J.wav";
    const char control = '\x7f';
    WriteFileBytes(temp.file("a.rfa"), FlatArchiveBytes({{"a.wav", "abc"}, {hostile, "de"}}, true));
    ASSERT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    const std::string unpack[] = {"--unpack", temp.file("a.rfa"), "--to", temp.file("out")};
    const std::vector<std::string> apply = {"--game-folder", game, "--apply", pack};
    struct Case {
        std::vector<std::string> args;
        bool ctrlC;
        int status;
        std::size_t traceLines; // each entry traces two lines
    };
    const Case cases[] = {
        {{unpack[0], unpack[1], unpack[2], unpack[3]}, false, 0, 0},
        {{unpack[0], unpack[1], "--verbose", unpack[2], unpack[3]}, false, 0, 4},
        {{unpack[0], unpack[1], unpack[2], unpack[3]}, true, 1, 0},
        {apply, false, 0, 0},
        {{apply[0], apply[1], apply[2], apply[3], "--verbose"}, false, 0, 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::filesystem::remove_all(temp.file("out"));
        progress = FakeProgress();
        progress.cancelWhen = [&](const auto&) { return c.ctrlC; };
        testing::internal::CaptureStdout();
        EXPECT_EQ(Run(c.args), c.status);
        const std::string trace = testing::internal::GetCapturedStdout();
        EXPECT_EQ(static_cast<std::size_t>(std::count(trace.begin(), trace.end(), '\n')),
                  c.traceLines)
            << trace;
        EXPECT_EQ(trace.find(control), std::string::npos);
        if (c.traceLines == 4) {
            EXPECT_NE(trace.find("Filename: " + shown), std::string::npos) << trace;
        }
        if (c.args[0] == "--unpack") {
            EXPECT_EQ(FileExists(temp.file("out/" + hostile)), !c.ctrlC);
        }
        if (c.ctrlC) {
            EXPECT_TRUE(std::filesystem::is_empty(temp.file("out")));
        }
    }
}

TEST_F(CommandLineTest, FindGamesListsEachFolderWithItsPrefixKind) {
    findGameFolders = [](std::vector<std::string>&) {
        return std::vector<FoundGameFolder>{{"/p/drive_c/BFV", "wine"}, {"/g/a b", "proton"}};
    };
    EXPECT_EQ(Run({"--find-games"}), 0);
    EXPECT_EQ(out.str(), "/p/drive_c/BFV\twine\n/g/a b\tproton\n");
    // A GAMEDIR that is not used is said on the error stream, the list staying as it is.
    findGameFolders = [](std::vector<std::string>& refusals) {
        refusals.push_back("GAMEDIR in the registry holds \"C:\", which Palisor does not use.");
        return std::vector<FoundGameFolder>{};
    };
    EXPECT_EQ(Run({"--find-games"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "palisor: GAMEDIR in the registry holds \"C:\", which Palisor does not "
                         "use.\npalisor: no game folder found\n");

    // Without a finder of its own it searches the home folder of the environment.
    findGameFolders = nullptr;
    const std::string home = temp.file("home");
    const std::string install = home + "/.wine/drive_c/Program Files/EA GAMES/Battlefield Vietnam";
    std::filesystem::create_directories(install);
    std::filesystem::rename(game + "/Mods", install + "/Mods");
    const char* savedHome = std::getenv("HOME");
    const char* savedPrefix = std::getenv("WINEPREFIX");
    const std::string restoreHome = savedHome ? savedHome : "";
    const std::string restorePrefix = savedPrefix ? savedPrefix : "";
    SetEnvironment("HOME", home);
    UnsetEnvironment("WINEPREFIX");
#ifdef _WIN32
    // Windows asks its registry and Program Files, never a Wine prefix in the home folder.
    Run({"--find-games"});
    EXPECT_EQ(out.str().find(install), std::string::npos);
#else
    EXPECT_EQ(Run({"--find-games"}), 0);
    EXPECT_EQ(out.str(), install + "\twine\n");
#endif
    savedHome ? SetEnvironment("HOME", restoreHome) : UnsetEnvironment("HOME");
    if (savedPrefix)
        SetEnvironment("WINEPREFIX", restorePrefix);
    EXPECT_FALSE(FolderExists(WorkFolderIn(base)));
}

TEST_F(CommandLineTest, HelpAndVersion) {
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str(), "Palisor 1.02.2\n");
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(out.str(), CommandLineUsage());
    for (const char* line :
         {"  --apply PACK.velk           Install a music pack\n",
          "  --move-virtualstore         Move the VirtualStore copies into the backups\n",
          "  --keep-virtualstore         Leave the VirtualStore copies where they are\n",
          "Exit status:\n  0  done\n  1  refused, failed or cancelled\n"})
        EXPECT_NE(out.str().find(line), std::string::npos) << line;
}

using Mode = PatcherArguments::Mode;
using Branch = PatcherArguments::Branch;
using Chosen = ChosenBranch<PatcherArguments>;

const Chosen kWindow{Branch::Window}, kHelp{Branch::Help}, kVersion{Branch::Version},
    kInvalid{Branch::Invalid},
    kBackup = Chosen::Operation(Mode::Backup), kRestore = Chosen::Operation(Mode::Restore),
    kApply = Chosen::Operation(Mode::Apply), kUnpack = Chosen::Operation(Mode::Unpack),
    kFindGames = Chosen::Operation(Mode::FindGames);

// The parsed values, or for an invalid parse the error line.
struct ParseCase {
    std::vector<std::string> args;
    Chosen mode;
    std::optional<std::string> gameFolder{};
    std::string pack{}, archive{}, target{}, error{};
};

ParseCase Refused(std::vector<std::string> args, std::string error) {
    return {std::move(args), kInvalid, {}, "", "", "", std::move(error)};
}

TEST_F(CommandLineTest, ArgumentsMapToModeAndValuesOrToExitTwo) {
    const std::vector<ParseCase> cases = {
        {{}, kWindow},
        {{"--backup"}, kBackup},
        {{"--restore", "--game-folder", "g"}, kRestore, "g"},
        {{"--game-folder", "", "--backup"}, kBackup, ""},
        {{"--apply", "p.velk"}, kApply, std::nullopt, "p.velk"},
        {{"--to", "out", "--unpack", "a.rfa"}, kUnpack, std::nullopt, "", "a.rfa", "out"},
        {{"--help"}, kHelp},
        {{"--backup", "-h"}, kHelp},
        {{"--version"}, kVersion},
        {{"--find-games"}, kFindGames},
        {{"--verbose", "--apply", "p.velk"}, kApply, std::nullopt, "p.velk"},
        {{"--verbose", "--backup"}, kBackup},
        Refused({"--bogus"}, "The following argument was not expected: --bogus"),
        Refused({"--backup", "extra"}, "--backup excludes PACK.velk"),
        Refused({"--apply"}, "--apply: 1 required PACK.velk missing"),
        Refused({"--backup", "--restore"}, "--backup excludes --restore"),
        Refused({"--apply", "p", "--unpack", "a", "--to", "b"}, "--apply excludes --unpack"),
        {{"--game-folder", "g"}, kWindow, "g"},
        {{"p.velk"}, kWindow, std::nullopt, "p.velk"},
        {{"p.velk", "--game-folder", "g"}, kWindow, "g", "p.velk"},
        Refused({"p.velk", "--apply", "q.velk"}, "--apply excludes PACK.velk"),
        Refused({"p.velk", "q.velk"}, "The following argument was not expected: q.velk"),
        Refused({"--game-folder"}, "--game-folder: 1 required DIR missing"),
        Refused({"--game-folder", "a", "--game-folder", "b", "--backup"},
                "--game-folder: At Most 1 required but received 2"),
        Refused({"--find-games", "--restore"}, "--restore excludes --find-games"),
        Refused({"--find-games", "--game-folder", "g"}, "--game-folder excludes --find-games"),
        Refused({"--unpack", "x.rfa"}, "--unpack requires --to"),
        Refused({"--to", "folder"}, "--to requires --unpack"),
        Refused({"--backup", "--to", "folder"}, "--to requires --unpack"),
        Refused({"--game-folder", game, "--unpack", "a", "--to", "b"},
                "--unpack excludes --game-folder"),
        Refused({"--verbose"}, "--verbose requires an operation"),
        Refused({"--move-virtualstore"},
                "--move-virtualstore requires --backup, --restore or --apply"),
        Refused({"--unpack", "a", "--to", "b", "--keep-virtualstore"},
                "--keep-virtualstore requires --backup, --restore or --apply"),
        Refused({"--backup", "--keep-virtualstore", "--move-virtualstore"},
                "--move-virtualstore excludes --keep-virtualstore"),
    };
    for (const ParseCase& expected : cases) {
        SCOPED_TRACE(testing::PrintToString(expected.args));
        const PatcherArguments parsed = ParsePatcherArguments(expected.args);
        EXPECT_TRUE(Chosen::Of(parsed) == expected.mode);
        EXPECT_EQ(parsed.gameFolder, expected.gameFolder);
        EXPECT_EQ(parsed.pack, expected.pack);
        EXPECT_EQ(parsed.archive, expected.archive);
        EXPECT_EQ(parsed.target, expected.target);
        EXPECT_EQ(parsed.error, expected.error);
        EXPECT_EQ(parsed.verbose, !expected.args.empty() && expected.args.front() == "--verbose" &&
                                      !(expected.mode == kInvalid));
        if (!(expected.mode == kInvalid))
            continue;
        EXPECT_EQ(Run(expected.args), 2);
        EXPECT_EQ(err.str(),
                  "palisor: " + expected.error + "\nRun with --help for more information.\n");
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(prompts.messages.empty());
    }
    using Choice = GameFolderController::VirtualStoreChoice;
    EXPECT_EQ(ParsePatcherArguments({"--apply", "p", "--move-virtualstore"}).virtualStore,
              Choice::Move);
    EXPECT_EQ(ParsePatcherArguments({"--keep-virtualstore", "--restore"}).virtualStore,
              Choice::Keep);
    EXPECT_EQ(ParsePatcherArguments({"--backup"}).virtualStore, Choice::Ask);
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(err.str(), "palisor: no operation given\nRun with --help for more information.\n");
    EXPECT_FALSE(FolderExists(WorkFolderIn(base)));
    EXPECT_EQ(registryReads, 0);
}

} // namespace
