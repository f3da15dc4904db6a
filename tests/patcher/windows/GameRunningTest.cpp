// The game running on Windows: it holds its files open without shared deletion, so they cannot
// be replaced. Apply, restore and the recovery of an interrupted change must then say so and
// change nothing, and work once the game is closed. (The Windows counterpart of the refusals
// that POSIX tests make with a full or read-only file system.)
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/InstallJournal.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "platform/NativePath.h"
#include "platform/PathNoCase.h"
#include "tests/patcher/GameScene.h"
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

class GameRunningTest : public ::testing::Test, protected GameScene {
protected:
    void SetUp() override { ASSERT_TRUE(FolderExists(base)); }
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
        for (const std::string& held : {Game().DefaultCon(), Game().MusicRfa()}) {
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
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(Game().MusicRfa()), kGameMusicRfa);
}

// A program that shares deletion passes the check before the change, and the replace then
// fails: the file is named with its cause, the change undone, and no second name of it left
// behind, even while that program still holds it.
TEST_F(GameRunningTest, AFileHeldSharingDeletionIsNamedAndTheChangeUndone) {
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
        for (const std::string& held : {Game().DefaultCon(), Game().MusicRfa()}) {
            SCOPED_TRACE(std::string(command.name) + " with " + held + " held");
            const auto before = TreeSnapshot(game);
            prompts = FakePrompts();
            HeldByGame scanner(held, kSharedAsAScanner);
            ASSERT_TRUE(scanner.Held());
            EXPECT_FALSE(command.run());
            EXPECT_EQ(prompts.messages, Messages{FileInUseMessage(held)});
            ASSERT_EQ(prompts.details.size(), 1u);
            EXPECT_NE(prompts.details[0].find("sharing violation (32)"), std::string::npos)
                << prompts.details[0];
            EXPECT_EQ(TreeSnapshot(game), before);
        }
        EXPECT_TRUE(command.run()) << command.name << " once let go";
    }
}

// A backup held without sharing cannot be read: it is named as held and kept, never called
// damaged, and nothing is changed.
TEST_F(GameRunningTest, ABackupHeldWithoutSharingIsNamedAndKept) {
    ASSERT_TRUE(Backup());
    for (const auto& run : std::initializer_list<std::function<bool()>>{
             [&] { return Restore(); }, [&] { return Apply(); }, [&] { return Backup(); }}) {
        const auto before = TreeSnapshot(game);
        prompts = FakePrompts();
        {
            HeldByGame holder(Game().BackedUpMusicRfa(), kSharedWithNobody);
            ASSERT_TRUE(holder.Held());
            EXPECT_FALSE(run());
        }
        EXPECT_EQ(prompts.messages, Messages{HeldBackupMessage(Game().BackedUpMusicRfa())});
        EXPECT_EQ(TreeSnapshot(game), before); // read once let go
    }
    EXPECT_TRUE(Game().BackupsComplete());
    EXPECT_TRUE(Restore());
}

TEST_F(GameRunningTest, AnInterruptedChangeWaitsForTheGameToClose) {
    ASSERT_TRUE(Backup());
    // An install cut short before its first rename: rolling it back removes the staged file.
    const std::string staged = Game().DefaultCon() + ".kp-new";
    WriteFileBytes(staged, "staged, never renamed");
    WriteFileBytes(
        Game().JournalFile(),
        "Palisor install journal 1\nstate install\n1\t"
        "Mods/BfVietnam/settings/Default.con\tMods/BfVietnam/settings/Default.con.kp-new\n");
    const auto before = TreeSnapshot(game);
    {
        HeldByGame running(Game().MusicRfa());
        ASSERT_TRUE(running.Held());
        for (const auto& run : std::initializer_list<std::function<bool()>>{
                 [&] { return Backup(); }, [&] { return Restore(); }, [&] { return Apply(); }}) {
            prompts.messages.clear();
            EXPECT_FALSE(run());
            EXPECT_EQ(prompts.messages, Messages{FileInUseMessage(Game().MusicRfa())});
            EXPECT_EQ(TreeSnapshot(game), before);
        }
    }
    prompts.messages.clear();
    EXPECT_TRUE(RecoverInterruptedInstall(game, prompts));
    EXPECT_EQ(prompts.messages,
              Messages{"Palisor found an interrupted change to the game files and undid it: the "
                       "game folder holds the same files as before that change."});
    EXPECT_EQ(InspectPath(staged).kind, PathKind::Missing);
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
}

// A game file marked read-only cannot be replaced, nor its kept second name removed: apply
// and restore refuse before changing anything, and work once the mark is cleared.
TEST_F(GameRunningTest, ReadOnlyGameFilesAreRefusedBeforeAnythingChanges) {
    ASSERT_TRUE(Backup());
    const std::wstring defaultCon = NativePath(Game().DefaultCon()).wstring();
    for (const auto& run : std::initializer_list<std::function<bool()>>{
             [&] { return Apply(); }, [&] { return Restore(); }}) {
        ASSERT_TRUE(SetFileAttributesW(defaultCon.c_str(), FILE_ATTRIBUTE_READONLY));
        const auto before = TreeSnapshot(game);
        prompts.messages.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(prompts.messages,
                  Messages{"Couldn't do it - " + Game().DefaultCon() +
                           " is read-only, so Palisor cannot replace it. Clear its Read-only "
                           "attribute (in the file's Properties), then try again. Nothing was "
                           "changed."});
        EXPECT_EQ(TreeSnapshot(game), before);
        ASSERT_TRUE(SetFileAttributesW(defaultCon.c_str(), FILE_ATTRIBUTE_NORMAL));
        EXPECT_TRUE(run());
    }
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
}

TEST_F(GameRunningTest, BackupReadsTheFilesTheGameHolds) {
    // The game lets others read its files, and a backup only reads them.
    HeldByGame running(Game().MusicRfa());
    ASSERT_TRUE(running.Held());
    EXPECT_TRUE(Backup());
    EXPECT_TRUE(Game().BackupsComplete());
}

TEST_F(GameRunningTest, AVirtualStoreCopyTheGameHoldsIsNotMovedAndNothingIsLost) {
    // The game running from Program Files reads its VirtualStore copies and holds them open.
    const VirtualStoreCopies copies(game, {temp.path()}, temp.file("Local"));
    ASSERT_FALSE(copies.Mirror().empty());
    const std::string copy = JoinPath(copies.Mirror(), GameFolder::kMusicRfaInFolder);
    std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
    WriteFileBytes(copy, "the copy the game reads");
    HeldByGame running(copy);
    ASSERT_TRUE(running.Held());
    const auto outcome = copies.MoveAside("stamp");
    EXPECT_FALSE(outcome.moved);
    EXPECT_EQ(outcome.failedCopy, ResolvePathNoCase(copies.Mirror(), GameFolder::kMusicRfaInFolder));
    EXPECT_EQ(ReadFileBytes(copy), "the copy the game reads");
    EXPECT_FALSE(FileExists(JoinPath(outcome.backupFolder, GameFolder::kMusicRfaInFolder)));
}

} // namespace
