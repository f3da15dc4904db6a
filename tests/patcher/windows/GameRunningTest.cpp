// The game running on Windows: it holds its files open without shared deletion, so they cannot
// be replaced. Apply, restore and the recovery of an interrupted change must then say so and
// change nothing, and work once the game is closed. (The Windows counterpart of the refusals
// that POSIX tests make with a full or read-only file system.)
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/InstallJournal.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FileOps.h"
#include "platform/NativePath.h"
#include "platform/PathNoCase.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/patcher/windows/HeldByGame.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>

namespace {

using Messages = std::vector<std::string>;

class GameRunningTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeGameFolder(game);
        ASSERT_TRUE(CreateFolder(base));
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
    }
    bool Backup() { return BackupOriginals(game, prompts, controls); }
    bool Restore() { return RestoreOriginals(game, prompts, controls); }
    bool Apply() {
        FakeProgress progress;
        return PrepareWorkFolder(base, prompts) && ApplyPatch(game, pack, base, prompts, progress);
    }

    TempFolder temp;
    std::string game = temp.file("BFV");
    std::string base = temp.file("program");
    std::string pack = temp.file("pack.velk");
    FakePrompts prompts;
    RecordingControls controls;
};

TEST_F(GameRunningTest, ApplyAndRestoreRefuseWhileAGameFileIsHeldAndChangeNothing) {
    ASSERT_TRUE(Backup());
    struct Command {
        const char* name;
        std::function<void()> prepare;
        std::function<bool()> run;
    };
    const Command commands[] = {{"apply", [] {}, [&] { return Apply(); }},
                                {"restore", [&] { ASSERT_TRUE(Apply()); },
                                 [&] { return Restore(); }}};
    for (const auto& command : commands) {
        command.prepare();
        for (const std::string& held : {GameDefaultCon(game), GameMusicRfa(game)}) {
            SCOPED_TRACE(std::string(command.name) + " with " + held + " held");
            const auto before = TreeSnapshot(game);
            prompts.messages.clear();
            HeldByGame running(held);
            ASSERT_TRUE(running.Held());
            EXPECT_FALSE(command.run());
            EXPECT_EQ(prompts.messages,
                      Messages{"Couldn't do it - " + held +
                               " is in use by another program (is the game running?). Close "
                               "the game, then try again. Nothing was changed."});
            EXPECT_EQ(TreeSnapshot(game), before);
        }
        prompts.messages.clear();
        EXPECT_TRUE(command.run()) << command.name << " once the game is closed";
    }
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
}

TEST_F(GameRunningTest, AnInterruptedChangeWaitsForTheGameToClose) {
    ASSERT_TRUE(Backup());
    // An install cut short before its first rename: rolling it back removes the staged file.
    const std::string staged = GameDefaultCon(game) + ".kp-new";
    WriteFileBytes(staged, "staged, never renamed");
    WriteFileBytes(InstallJournalFile(game),
                   "Palisor install journal 1\nstate install\n1\t"
                   "Mods/BfVietnam/settings/Default.con\tMods/BfVietnam/settings/Default.con.kp-new\n");
    const auto before = TreeSnapshot(game);
    {
        HeldByGame running(GameMusicRfa(game));
        ASSERT_TRUE(running.Held());
        for (const auto& run : std::initializer_list<std::function<bool()>>{
                 [&] { return Backup(); }, [&] { return Restore(); }, [&] { return Apply(); }}) {
            prompts.messages.clear();
            EXPECT_FALSE(run());
            EXPECT_EQ(prompts.messages, Messages{FileInUseMessage(GameMusicRfa(game))});
            EXPECT_EQ(TreeSnapshot(game), before);
        }
    }
    prompts.messages.clear();
    EXPECT_TRUE(RecoverInterruptedInstall(game, prompts));
    EXPECT_EQ(prompts.messages,
              Messages{"Palisor found an interrupted change to the game files and undid it: the "
                       "game folder holds the same files as before that change."});
    EXPECT_EQ(InspectPath(staged).kind, PathKind::Missing);
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
}

// A game file marked read-only cannot be replaced, nor its kept second name removed: apply
// and restore refuse before changing anything, and work once the mark is cleared.
TEST_F(GameRunningTest, ReadOnlyGameFilesAreRefusedBeforeAnythingChanges) {
    ASSERT_TRUE(Backup());
    const std::wstring defaultCon = NativePath(GameDefaultCon(game)).wstring();
    for (const auto& run : std::initializer_list<std::function<bool()>>{
             [&] { return Apply(); }, [&] { return Restore(); }}) {
        ASSERT_TRUE(SetFileAttributesW(defaultCon.c_str(), FILE_ATTRIBUTE_READONLY));
        const auto before = TreeSnapshot(game);
        prompts.messages.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(prompts.messages,
                  Messages{"Couldn't do it - " + GameDefaultCon(game) +
                           " is read-only, so Palisor cannot replace it. Clear its Read-only "
                           "attribute (in the file's Properties), then try again. Nothing was "
                           "changed."});
        EXPECT_EQ(TreeSnapshot(game), before);
        ASSERT_TRUE(SetFileAttributesW(defaultCon.c_str(), FILE_ATTRIBUTE_NORMAL));
        EXPECT_TRUE(run());
    }
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
}

TEST_F(GameRunningTest, BackupReadsTheFilesTheGameHolds) {
    // The game lets others read its files, and a backup only reads them.
    HeldByGame running(GameMusicRfa(game));
    ASSERT_TRUE(running.Held());
    EXPECT_TRUE(Backup());
    EXPECT_TRUE(BackupsComplete(game));
}

TEST_F(GameRunningTest, AVirtualStoreCopyTheGameHoldsIsNotMovedAndNothingIsLost) {
    // The game running from Program Files reads its VirtualStore copies and holds them open.
    const VirtualStoreCopies copies(game, {temp.path()}, temp.file("Local"));
    ASSERT_FALSE(copies.Mirror().empty());
    const std::string copy = JoinPath(copies.Mirror(), kGameMusicRfaInFolder);
    std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
    WriteFileBytes(copy, "the copy the game reads");
    HeldByGame running(copy);
    ASSERT_TRUE(running.Held());
    const auto outcome = copies.MoveAside("stamp");
    EXPECT_FALSE(outcome.moved);
    EXPECT_EQ(outcome.failedCopy, ResolvePathNoCase(copies.Mirror(), kGameMusicRfaInFolder));
    EXPECT_EQ(ReadFileBytes(copy), "the copy the game reads");
    EXPECT_FALSE(FileExists(JoinPath(outcome.backupFolder, kGameMusicRfaInFolder)));
}

} // namespace
