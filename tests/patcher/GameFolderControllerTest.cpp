// Palisor's decisions without a window: what the view shows for each state of the game folder
// and the pack, the state line after each action, the recovery when a folder is chosen, the
// work folder held for a run, and the checks before a change (a game file held open, the
// rights, VirtualStore copies) with every answer to their questions.
#include "patcher/GameFolderController.h"

#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "platform/PathRewrite.h"
#include "tests/patcher/FakeGameFolderAccess.h"
#include "tests/patcher/GameScene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;
using Answer = Prompts::Answer;
using Closing = PatcherView::Closing;

class RecordingMemory : public ChoiceMemory {
public:
    void RememberGameFolder(const std::string& folder) override { folders.push_back(folder); }
    void RememberPack(const std::string& pack) override { packs.push_back(pack); }
    std::vector<std::string> folders, packs;
};

// A window's controller on the scene, and the system's side it is shown.
class GameFolderControllerTest : public ::testing::Test, protected GameScene {
protected:
    void SetUp() override { ASSERT_TRUE(FolderExists(base)); }

    // A controller started on a game folder, as the window opens it.
    GameFolderController& Open(const std::string& folder,
                               GameFolderController::Front front = Window) {
        controller = std::make_unique<GameFolderController>(base, prompts, access, front);
        controller->SetMemory(&memory);
        controller->ChooseGameFolder(folder);
        controller->Start();
        return *controller;
    }
    // Backs the game up before the test, without a message left behind.
    void MakeBackups() {
        ASSERT_TRUE(Backup());
        prompts = FakePrompts();
    }
    const PatcherView& View() const { return controller->View(); }
    std::string StateLine() const { return View().stateLine; }

    // A folder under a fake Program Files with a VirtualStore copy of music.rfa.
    std::string MirrorWithCopy() {
        access.programFiles = {temp.path()};
        access.localAppData = temp.file("Local");
        const VirtualStoreCopies copies(game, access.programFiles, access.localAppData);
        fs::create_directories(JoinPath(copies.Mirror(), "Mods/BfVietnam/Archives"));
        WriteFileBytes(JoinPath(copies.Mirror(), GameFolder::kMusicRfaInFolder), kCopiedRfa);
        return copies.Mirror();
    }

    static constexpr GameFolderController::Front Window = GameFolderController::Front::Window;
    const std::string kCopiedRfa = "what an older tool wrote";
    FakeGameFolderAccess access;
    RecordingMemory memory;
    std::unique_ptr<GameFolderController> controller;
};

struct ViewCase {
    std::string label;
    std::function<std::string(GameScene&)> arrange; // makes the state; the folder to open
    bool choosePack;
    std::string flag, stateLine;
    bool backup, restore, apply;
};

void PrintTo(const ViewCase& viewCase, std::ostream* out) {
    *out << viewCase.label;
}

class ViewStateTest : public GameFolderControllerTest,
                      public ::testing::WithParamInterface<ViewCase> {};

TEST_P(ViewStateTest, ButtonsFlagAndStateLineFollowTheFolder) {
    const ViewCase& expected = GetParam();
    const std::string folder = expected.arrange(*this);
    prompts.messages.clear();
    Open(folder);
    if (expected.choosePack)
        controller->ChoosePack(pack);
    EXPECT_EQ(View().gameFolder, WithSystemSeparators(folder));
    EXPECT_EQ(View().gameFolderFlag, expected.flag);
    EXPECT_EQ(StateLine(), expected.stateLine);
    EXPECT_EQ(View().backupEnabled, expected.backup);
    EXPECT_EQ(View().restoreEnabled, expected.restore);
    EXPECT_EQ(View().applyEnabled, expected.apply);
    EXPECT_FALSE(View().busy);
    EXPECT_EQ(View().closing, Closing::No);
    EXPECT_TRUE(prompts.messages.empty());
}

const std::string kNoDefaultCon =
    "Not a Battlefield Vietnam folder: " +
    JoinPath(JoinPath(JoinPath("Mods", "BfVietnam"), "settings"), "Default.con") + " is missing";

INSTANTIATE_TEST_SUITE_P(
    States, ViewStateTest,
    ::testing::Values(
        ViewCase{"NoFolder", [](GameScene&) { return std::string(); }, true, "",
                 "No game folder chosen.", false, false, false},
        ViewCase{"MissingFolder", [](GameScene& s) { return s.temp.file("nowhere"); }, true,
                 "This folder does not exist.", "The chosen folder does not exist.", false, false,
                 false},
        ViewCase{"NotTheGame",
                 [](GameScene& s) {
                     CreateFolder(s.temp.file("Other"));
                     return s.temp.file("Other");
                 },
                 true, kNoDefaultCon, "No backups yet. No pack installed.", false, false, false},
        ViewCase{"NoBackups", [](GameScene& s) { return s.game; }, false, "",
                 "No backups yet. No pack installed.", true, false, false},
        ViewCase{"NoBackupsAndAPack", [](GameScene& s) { return s.game; }, true, "",
                 "No backups yet. No pack installed.", true, false, true},
        ViewCase{"BackedUp",
                 [](GameScene& s) {
                     s.Backup();
                     return s.game;
                 },
                 false, "", "Backups made and checked. No pack installed.", false, true, false},
        ViewCase{"BackupDamaged",
                 [](GameScene& s) {
                     s.Backup();
                     WriteFileBytes(s.Game().BackedUpMusicRfa(), "changed");
                     return s.game;
                 },
                 false, "", "Backups do not check out against their manifest. No pack installed.",
                 true, false, false},
        ViewCase{"BackupPartial",
                 [](GameScene& s) {
                     s.Backup();
                     RemoveFile(s.Game().BackedUpDefaultCon());
                     return s.game;
                 },
                 false, "", "Backups incomplete: a backed-up file is missing. No pack installed.",
                 true, false, false},
        ViewCase{"Installed",
                 [](GameScene& s) {
                     s.Backup();
                     s.Apply();
                     return s.game;
                 },
                 true, "", "Backups made and checked. Pack installed: pack.velk.", false, true,
                 true},
        ViewCase{"GameFileGoneButBackedUp",
                 [](GameScene& s) {
                     s.Backup();
                     RemoveFile(s.Game().DefaultCon());
                     return s.game;
                 },
                 true, kNoDefaultCon, "Backups made and checked. No pack installed.", false, true,
                 false},
        ViewCase{"RefusedPack",
                 [](GameScene& s) {
                     WriteFileBytes(s.pack, "not an archive");
                     return s.game;
                 },
                 true, "", "No backups yet. No pack installed.", true, false, false}),
    [](const auto& testInfo) { return testInfo.param.label; });

TEST_F(GameFolderControllerTest, StateLineAfterBackupApplyAndRestore) {
    Open(game);
    controller->ChoosePack(pack);
    EXPECT_EQ(StateLine(), "No backups yet. No pack installed.");
    EXPECT_TRUE(controller->Backup());
    EXPECT_EQ(StateLine(), "Backups made and checked. No pack installed.");
    EXPECT_TRUE(controller->Apply(progress));
    EXPECT_EQ(StateLine(), "Backups made and checked. Pack installed: pack.velk.");
    // A music.rfa changed behind Palisor's back no longer passes for the recorded pack.
    WriteFileBytes(Game().MusicRfa(), "another tool's music");
    controller->ChooseGameFolder("");
    controller->ChooseGameFolder(game);
    EXPECT_EQ(StateLine(), "Backups made and checked. Pack installed: unknown pack.");
    EXPECT_TRUE(controller->Restore());
    EXPECT_EQ(StateLine(), "No backups yet. No pack installed.");
    EXPECT_EQ(prompts.information,
              (Messages{"Your files are now backed up in: " + Game().Backups(), "Patching Is Done!",
                        "Your original files have been restored."}));
    EXPECT_EQ(prompts.messages, prompts.information);
    EXPECT_TRUE(View().backupEnabled);
    EXPECT_FALSE(View().restoreEnabled);
}

// What a success message says has happened is on the state line behind it already.
TEST_F(GameFolderControllerTest, StateLineIsUpToDateWhenTheSuccessMessageShows) {
    class Watching : public FakePrompts {
    public:
        std::function<void()> onInform;
        void Inform(const std::string& text) override {
            onInform();
            FakePrompts::Inform(text);
        }
    } watching;
    std::vector<std::string> linesAtSuccess;
    watching.onInform = [&] { linesAtSuccess.push_back(StateLine()); };
    controller = std::make_unique<GameFolderController>(base, watching, access, Window);
    controller->ChooseGameFolder(game);
    ASSERT_TRUE(controller->Start());
    controller->ChoosePack(pack);
    EXPECT_TRUE(controller->Backup());
    EXPECT_TRUE(controller->Apply(progress));
    EXPECT_TRUE(controller->Restore());
    EXPECT_EQ(linesAtSuccess, (Messages{"Backups made and checked. No pack installed.",
                                        "Backups made and checked. Pack installed: pack.velk.",
                                        "No backups yet. No pack installed."}));
}

// A folder typed with a trailing dot is another folder on Linux, but Windows would open the one
// without it: there it is flagged and every action refuses it, touching neither folder.
TEST_F(GameFolderControllerTest, AFolderWindowsWouldRewriteIsRefusedThere) {
    const std::string typed = game + ".";
    const std::string why = WhyThisSystemWouldRewrite(typed);
    if (why.empty())
        MakeGameFolder(typed); // Linux: a game folder of its own
    MakeBackups();
    Open(typed);
    controller->ChoosePack(pack);
    EXPECT_EQ(View().gameFolderFlag, GameFolder(typed).Problem());
    EXPECT_EQ(View().backupEnabled, why.empty());
    Open(typed, GameFolderController::Front::CommandLine);
    controller->ChoosePack(pack);
    const auto before = TreeSnapshot(temp.path()); // the work folder is made as it opens
    const std::string refusal = "Can't do it - Windows would take the game folder " + typed +
                                " for another folder: " + why +
                                ". Nothing was changed. Choose the folder again, as Explorer "
                                "shows it.";
    for (const auto& run : std::initializer_list<std::function<bool()>>{
             [&] { return controller->Backup(); }, [&] { return controller->Apply(progress); },
             [&] { return controller->Restore(); }}) {
        prompts = FakePrompts();
        if (why.empty()) {
            run();
            continue;
        }
        EXPECT_FALSE(run());
        EXPECT_EQ(prompts.messages, Messages{refusal});
        EXPECT_EQ(TreeSnapshot(temp.path()), before);
    }
    if (why.empty()) { // Linux backed up, patched and restored the folder it was given
        EXPECT_EQ(ReadFileBytes(GameFolder(typed).MusicRfa()), kGameMusicRfa);
        EXPECT_FALSE(GameFolder(typed).ChangeInterrupted());
    }
}

TEST_F(GameFolderControllerTest, AnUnusedGamedirIsSaidWhileNoFolderIsChosen) {
    Open("");
    const std::string refusal = GameDirAnswer::Of(".", ".", "the registry").refusal;
    controller->NoteRegistryRefusal(refusal);
    EXPECT_EQ(View().gameFolderFlag, refusal);
    EXPECT_FALSE(View().backupEnabled);
    controller->ChooseGameFolder(game);
    EXPECT_EQ(View().gameFolderFlag, "");
    controller->ChooseGameFolder("");
    EXPECT_EQ(View().gameFolderFlag, refusal);
}

// The pressed button is off and the cursor busy while the handler runs; the buttons follow the
// disk again as soon as it settles: before a refusal's message, after a failed copy's.
TEST_F(GameFolderControllerTest, ButtonsDuringAnAction) {
    MakeBackups();
    struct Seen {
        bool restore, busy;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> atMessage;
    class Watching : public FakePrompts {
    public:
        std::function<void()> onMessage;
        void Message(const std::string& text) override {
            FakePrompts::Message(text);
            onMessage();
        }
    } watching;
    controller = std::make_unique<GameFolderController>(base, watching, access, Window);
    watching.onMessage = [&] { atMessage.push_back({View().restoreEnabled, View().busy}); };
    controller->ChooseGameFolder(game);
    ASSERT_TRUE(controller->Start());
    std::vector<Seen> published;
    controller->SetViewListener([&] { published.push_back({View().restoreEnabled, View().busy}); });

    // music.rfa cannot be replaced (a folder in its place): reported before the handler settles.
    ASSERT_TRUE(RemoveFile(Game().MusicRfa()));
    ASSERT_TRUE(CreateFolder(Game().MusicRfa()));
    EXPECT_FALSE(controller->Restore());
    EXPECT_EQ(atMessage, (std::vector<Seen>{Seen{false, true}}));
    EXPECT_EQ(published.front(), (Seen{false, true}));
    EXPECT_EQ(published.back(), (Seen{true, false}));

    // Default.con cannot be: the handler settles first, then says so.
    fs::remove(Game().MusicRfa());
    WriteFileBytes(Game().MusicRfa(), kGameMusicRfa);
    ASSERT_TRUE(RemoveFile(Game().DefaultCon()));
    ASSERT_TRUE(CreateFolder(Game().DefaultCon()));
    atMessage.clear();
    EXPECT_FALSE(controller->Restore());
    EXPECT_EQ(atMessage, (std::vector<Seen>{Seen{true, true}}));
    EXPECT_EQ(watching.messages.back(),
              "Couldn't do it - error while trying to move Default.con from backup to: " +
                  Game().DefaultCon());
}

TEST_F(GameFolderControllerTest, FoldersAndPacksAreTakenCheckedAndRemembered) {
    MakeBackups();
    Open("");
    const std::string other = temp.file("OtherGame");
    ASSERT_TRUE(CreateFolder(other));
    controller->ChooseGameFolder(other);
    EXPECT_EQ(View().gameFolderFlag, kNoDefaultCon);
    controller->ChoosePack(pack);
    EXPECT_FALSE(View().applyEnabled); // flagged: no apply either
    controller->ChooseGameFolder(game);
    EXPECT_TRUE(View().applyEnabled);
    controller->ChoosePack(temp.file("gone.velk"));
    EXPECT_EQ(memory.folders, Messages{game}); // only the game's folder and a pack that exists
    EXPECT_EQ(memory.packs, Messages{pack});

    // Browsed: the same check; the drop-down offers each folder once, in order.
    prompts.answers = {other, std::nullopt, game};
    controller->BrowseForGameFolder();
    EXPECT_EQ(prompts.dialogs.back().kind, "folder");
    EXPECT_EQ(prompts.dialogs.back().title, "Find The BFV Folder");
    EXPECT_EQ(prompts.dialogs.back().options.initialFolder, WithSystemSeparators(game));
    EXPECT_EQ(View().gameFolderFlag, kNoDefaultCon);
    controller->BrowseForGameFolder(); // cancelled: nothing changes
    EXPECT_EQ(View().gameFolder, WithSystemSeparators(other));
    controller->BrowseForGameFolder();
    EXPECT_EQ(View().gameFolderFlag, "");
    controller->OfferGameFolders({game, other, "", game});
    EXPECT_EQ(View().gameFolderChoices, (Messages{game, other}));

    prompts.answers = {std::nullopt, pack};
    controller->BrowseForPack();
    EXPECT_EQ(View().packPath, WithSystemSeparators(temp.file("gone.velk")));
    const auto& options = prompts.dialogs.back().options;
    EXPECT_EQ(options.filter, "VELK Files (*.velk)|*.velk||");
    EXPECT_EQ(options.defaultExtension, "velk");
    EXPECT_EQ(options.initialFileName, "*.velk");
    EXPECT_EQ(options.title, "Choose the Music Pack to Install");
    EXPECT_EQ(options.initialFolder, WithSystemSeparators(temp.path())); // beside the last pack
    controller->BrowseForPack();
    EXPECT_EQ(View().packPath, pack);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(GameFolderControllerTest, PreviewShowsTheSongsOrWhyThePackIsRefused) {
    std::vector<std::string> titles;
    for (int n = 1; n <= 16; ++n)
        titles.push_back((n % 2 ? "Caf\xE9 N\xBA " : "Plain ") + std::to_string(n));
    std::vector<PackEntry> entries = RegularPackEntries();
    entries[0].data = FixturePlaylistScript(titles);
    WriteFileBytes(pack, FlatArchiveBytes(entries));
    Open(game);
    controller->ChoosePack(pack);
    ASSERT_EQ(View().preview.size(), 16u);
    EXPECT_EQ(View().preview[0], (PreviewSong{"01", "Caf\xC3\xA9 N\xC2\xBA 1", "0:00"}));
    EXPECT_EQ(View().preview[15], (PreviewSong{"16", "Plain 16", "0:00"}));
    EXPECT_EQ(View().packNote, "");
    EXPECT_TRUE(fs::is_empty(WorkFolderIn(base))); // the preview leaves nothing

    entries[1].data = "sound script\r\n";
    const std::pair<std::string, std::string> refused[] = {
        {"x", "Not a valid velk file."},
        {FlatArchiveBytes(entries),
         "US.ssc is refused: it is not the sound script Korvane writes."},
    };
    for (const auto& [bytes, why] : refused) {
        WriteFileBytes(pack, bytes);
        controller->ChoosePack("");
        controller->ChoosePack(pack);
        EXPECT_EQ(View().packNote, why);
        EXPECT_TRUE(View().preview.empty());
        EXPECT_FALSE(View().applyEnabled);
        EXPECT_TRUE(fs::is_empty(WorkFolderIn(base)));
    }
    controller->ChoosePack(temp.file("gone.velk"));
    EXPECT_EQ(View().packNote, "File is missing - unable to patch.");
}

// A pack chosen before the work folder is ours is read once it is.
TEST_F(GameFolderControllerTest, PackChosenBeforeStartIsReadThen) {
    controller = std::make_unique<GameFolderController>(base, prompts, access, Window);
    controller->ChooseGameFolder(game);
    controller->ChoosePack(pack);
    EXPECT_TRUE(View().preview.empty());
    EXPECT_FALSE(View().applyEnabled);
    ASSERT_TRUE(controller->Start());
    EXPECT_EQ(View().preview.size(), 16u);
    EXPECT_TRUE(View().applyEnabled);
}

TEST_F(GameFolderControllerTest, WorkFolderIsHeldForTheRun) {
    Open(game);
    EXPECT_TRUE(FolderExists(WorkFolderIn(base)));
    WriteFileBytes(JoinPath(WorkFolderIn(base), "music01.wav"), "the first one's song");
    GameFolderController second(base, prompts, access, Window);
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(second.View().closing, Closing::Failed);
    EXPECT_EQ(prompts.messages,
              Messages{"Another Palisor is working with the work folder " + WorkFolderIn(base) +
                       ". Wait until it has finished, then try again."});
    EXPECT_EQ(ReadFileBytes(JoinPath(WorkFolderIn(base), "music01.wav")), "the first one's song");

    prompts.messages.clear();
    base = WithSystemSeparators(temp.file("missing/base"));
    GameFolderController nowhere(base, prompts, access, Window);
    EXPECT_FALSE(nowhere.Start());
    EXPECT_EQ(nowhere.View().closing, Closing::Failed);
    EXPECT_EQ(prompts.messages,
              Messages{"Error while trying to create folder: " + WorkFolderIn(base)});
}

TEST_F(GameFolderControllerTest, InterruptedInstallIsUndoneWhenOpenedOrChosen) {
    MakeBackups();
    const auto interrupt = [&] {
        WriteFileBytes(Game().DefaultCon() + ".kp-new", "half an install");
        WriteFileBytes(Game().JournalFile(), "Palisor install journal 1\nstate install\n1\t" +
                                                 std::string(GameFolder::kDefaultConInFolder) +
                                                 "\t" + GameFolder::kDefaultConInFolder +
                                                 ".kp-new\n");
    };
    const Messages undone{"Palisor found an interrupted change to the game files and undid it: "
                          "the game folder holds the same files as before that change."};
    const std::string recoveredLine =
        "Backups made and checked. No pack installed. An interrupted install was recovered.";
    interrupt();
    Open(game);
    EXPECT_EQ(prompts.messages, undone);
    EXPECT_FALSE(Game().ChangeInterrupted());
    EXPECT_FALSE(FileExists(Game().DefaultCon() + ".kp-new"));
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
    EXPECT_EQ(StateLine(), recoveredLine);
    EXPECT_TRUE(View().restoreEnabled);

    prompts.messages.clear();
    controller->ChooseGameFolder("");
    EXPECT_EQ(StateLine(), "No game folder chosen.");
    interrupt();
    controller->ChooseGameFolder(game);
    EXPECT_EQ(prompts.messages, undone);
    EXPECT_EQ(StateLine(), recoveredLine);

    // Without the rights to finish it, it waits for the next action, which offers them first.
    prompts.messages.clear();
    controller->ChooseGameFolder("");
    interrupt();
    access.deniedFolders = {JoinPath(game, "Mods/BfVietnam/settings")};
    controller->ChooseGameFolder(game);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(Game().ChangeInterrupted());
}

TEST_F(GameFolderControllerTest, HeldGameFileAsksToCloseTheGameFirst) {
    MakeBackups();
    Open(game);
    const auto before = TreeSnapshot(game);
    const std::string question =
        Game().DefaultCon() +
        " is in use by another program (is the game running?). Close the game, then press "
        "Retry. Nothing was changed.";
    access.heldChecksLeft = 1;
    prompts.questionAnswers = {Answer::Cancel};
    EXPECT_FALSE(controller->Restore());
    EXPECT_EQ(prompts.questions, Messages{question});
    EXPECT_EQ(prompts.questionButtons, std::vector{Prompts::Buttons::RetryCancel});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(View().restoreEnabled);

    // Closed after the first Retry: the restore runs.
    access.heldChecksLeft = 2;
    prompts.questionAnswers = {Answer::Retry, Answer::Retry};
    EXPECT_TRUE(controller->Restore());
    EXPECT_EQ(prompts.questions, (Messages{question, question, question}));
    EXPECT_EQ(prompts.messages, Messages{"Your original files have been restored."});

    // With no one to ask (a command line without a terminal) it is refused, as a handler does.
    prompts = FakePrompts();
    prompts.canAsk = false;
    access.heldChecksLeft = 1;
    EXPECT_FALSE(controller->Backup());
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(prompts.messages, Messages{FileInUseMessage(Game().DefaultCon())});
}

TEST_F(GameFolderControllerTest, VirtualStoreCopiesAreOfferedToBeMovedAside) {
    const std::string mirror = MirrorWithCopy();
    Open(game);
    EXPECT_EQ(StateLine(), "No backups yet. No pack installed. The game reads copies of its files "
                           "from VirtualStore, not from this folder.");
    const std::string question =
        "The game reads copies of its files from VirtualStore (" + mirror +
        "), not from the game folder, so it would not see what Palisor changes there.\n\n"
        "Move the copies aside into " +
        JoinPath("custom_music", "backups") +
        ", where they are kept, so that the game reads its own folder again?";

    // Cancel: nothing is done.
    const auto before = TreeSnapshot(temp.path());
    prompts.questionAnswers = {Answer::Cancel};
    EXPECT_FALSE(controller->Backup());
    EXPECT_EQ(prompts.questions, Messages{question});
    EXPECT_EQ(prompts.questionButtons, std::vector{Prompts::Buttons::YesNoCancel});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(TreeSnapshot(temp.path()), before);

    // No: the backup is made, and the user is told the game keeps reading the copies.
    prompts.questionAnswers = {Answer::No};
    EXPECT_TRUE(controller->Backup());
    EXPECT_EQ(prompts.messages,
              (Messages{"The copies in " + mirror +
                            " were left where they are: the game will keep reading them instead "
                            "of the files Palisor changes.",
                        "Your files are now backed up in: " + Game().Backups()}));
    EXPECT_EQ(ReadFileBytes(JoinPath(mirror, GameFolder::kMusicRfaInFolder)), kCopiedRfa);

    // Yes: the copies go into the backups, then the restore runs.
    prompts.messages.clear();
    prompts.questionAnswers = {Answer::Yes};
    EXPECT_TRUE(controller->Restore());
    EXPECT_EQ(prompts.messages, Messages{"Your original files have been restored."});
    EXPECT_FALSE(FolderExists(mirror));
    const std::vector<FolderEntry> aside = ListFolder(Game().Backups());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].name.rfind("VirtualStore 20", 0), 0u);
    EXPECT_EQ(ReadFileBytes(JoinPath(JoinPath(Game().Backups(), aside[0].name),
                                     GameFolder::kMusicRfaInFolder)),
              kCopiedRfa);
    EXPECT_EQ(ReadFileBytes(Game().MusicRfa()), kGameMusicRfa);
    EXPECT_EQ(StateLine(), "No backups yet. No pack installed.");
}

TEST_F(GameFolderControllerTest, CopiesThatCannotBeMovedStopTheAction) {
    const std::string mirror = MirrorWithCopy();
    WriteFileBytes(Game().CustomMusic(), "a file where the backups would go");
    Open(game);
    const auto before = TreeSnapshot(temp.path());
    prompts.questionAnswers = {Answer::Yes};
    EXPECT_FALSE(controller->Backup());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].rfind(
                  WithSystemSeparators("Couldn't move " +
                                       JoinPath(mirror, GameFolder::kMusicRfaInFolder) +
                                       " aside into " + Game().Backups() + "/VirtualStore 20"),
                  0),
              0u)
        << prompts.messages[0];
    EXPECT_NE(prompts.messages[0].find(". What was moved before it is kept there, nothing was "
                                       "deleted, and nothing else was changed."),
              std::string::npos);
    EXPECT_EQ(TreeSnapshot(temp.path()), before);
}

TEST_F(GameFolderControllerTest, AFolderNeedingAdministratorOffersARestart) {
    const std::string archives = WithSystemSeparators(JoinPath(game, "Mods/BfVietnam/Archives"));
    access.deniedFolders = {archives};
    Open(game);
    controller->ChoosePack(pack);
    ASSERT_TRUE(View().applyEnabled);
    const auto before = TreeSnapshot(game);
    const std::string question =
        "Only an administrator may change files in " + archives +
        ", so Palisor cannot do it as it runs now. Nothing was changed.\n\nRestart Palisor as "
        "administrator, with the same game folder and pack?";
    const std::vector<std::string> arguments = {"--game-folder", game, pack};

    // No, then the system's prompt declined, then a failure: nothing is changed, and the work
    // folder is still this run's.
    access.restartOutcome = RestartOutcome::Declined;
    prompts.questionAnswers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(controller->Apply(progress));
    EXPECT_TRUE(access.restarts.empty());
    EXPECT_FALSE(controller->Apply(progress));
    access.restartOutcome = RestartOutcome::Failed;
    prompts.questionAnswers = {Answer::Yes};
    EXPECT_FALSE(controller->Backup());
    EXPECT_EQ(prompts.questions, (Messages{question, question, question}));
    EXPECT_EQ(access.restarts, (std::vector{arguments, arguments}));
    EXPECT_EQ(prompts.messages,
              Messages{"Couldn't restart Palisor as administrator. Nothing was changed."});
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_EQ(View().closing, Closing::No);
    EXPECT_TRUE(View().applyEnabled); // the pack was read again
    GameFolderController second(base, prompts, access, Window);
    EXPECT_FALSE(second.Start()); // this run still holds the work folder

    // Yes, and the elevated Palisor started: this one closes and lets the work folder go.
    access.restartOutcome = RestartOutcome::Started;
    prompts.questionAnswers = {Answer::Yes};
    EXPECT_FALSE(controller->Apply(progress));
    EXPECT_EQ(access.restarts.back(), arguments);
    EXPECT_EQ(View().closing, Closing::Done);
    EXPECT_EQ(TreeSnapshot(game), before);
    GameFolderController elevated(base, prompts, access, Window);
    EXPECT_TRUE(elevated.Start());
}

TEST_F(GameFolderControllerTest, AFolderNotWritableWithoutElevationIsOnlyExplained) {
    access.canRestart = false;     // Linux
    access.deniedFolders = {game}; // where custom_music would be made
    Open(game);
    const auto before = TreeSnapshot(game);
    EXPECT_FALSE(controller->Backup());
    EXPECT_EQ(prompts.messages,
              Messages{"Couldn't do it - you may not change files in " + game +
                       ". Give your user permission to write the game folder, then try again. "
                       "Nothing was changed."});
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(access.restarts.empty());
    EXPECT_EQ(TreeSnapshot(game), before);
}

// The window's actions run only while their button is on; the command line's always run and
// let the handler say why not.
TEST_F(GameFolderControllerTest, DisabledActionsDoNothingInTheWindowOnly) {
    Open(game);
    EXPECT_FALSE(controller->Restore());
    EXPECT_FALSE(controller->Apply(progress));
    EXPECT_TRUE(prompts.messages.empty());
    Open(game, GameFolderController::Front::CommandLine);
    EXPECT_FALSE(controller->Restore());
    EXPECT_EQ(prompts.messages,
              Messages{"Can't do it - the backup files have been removed - what did you do!?"});
}

TEST(GameFolderControllerStartTest, StartsWithTheNamedOrLastFolderThenTheOthers) {
    GameScene scene;
    const std::vector<FoundGameFolder> found = {{"/found/a", "wine"}, {"/found/b", "proton"}};
    using Folders = std::vector<std::string>;
    EXPECT_EQ(
        GameFolderController::StartingGameFolders(std::string("/named"), scene.game, "/reg", found),
        (Folders{"/named", "/reg", "/found/a", "/found/b"}));
    EXPECT_EQ(GameFolderController::StartingGameFolders(std::nullopt, scene.game, "", found),
              (Folders{scene.game, "/found/a", "/found/b"}));
    EXPECT_EQ(GameFolderController::StartingGameFolders(std::nullopt, scene.temp.file("gone"),
                                                        "/reg", {}),
              (Folders{"/reg"}));
    EXPECT_EQ(GameFolderController::StartingPack("named.velk", scene.pack), "named.velk");
    EXPECT_EQ(GameFolderController::StartingPack("", scene.pack), scene.pack);
    EXPECT_EQ(GameFolderController::StartingPack("", scene.temp.file("gone.velk")), "");
}

} // namespace
