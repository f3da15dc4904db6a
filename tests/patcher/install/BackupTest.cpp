#include "patcher/install/Backup.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "tests/patcher/GameScene.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using Messages = std::vector<std::string>;

// The scene's handlers, counting how often they settle.
class BackupTest : public ::testing::Test, protected GameScene {
protected:
    bool Backup() {
        return BackupOriginals(game, prompts, [this] { ++settled; });
    }
    bool Restore() {
        return RestoreOriginals(game, prompts, [this] { ++settled; });
    }
    std::string Backups() const { return Game().Backups(); }

    int settled = 0;
};

TEST_F(BackupTest, BackupCopiesBothFilesAndSettlesOnce) {
    EXPECT_FALSE(Game().BackupsComplete());
    EXPECT_TRUE(Backup());
    EXPECT_EQ(prompts.messages, Messages{"Your files are now backed up in: " + Backups()});
    EXPECT_EQ(ReadFileBytes(Game().BackedUpDefaultCon()), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(Game().BackedUpMusicRfa()), kGameMusicRfa);
    EXPECT_TRUE(Game().BackupsComplete());
    EXPECT_EQ(settled, 1);
}

TEST_F(BackupTest, MissingGameFolderIsReportedForBothHandlers) {
    for (std::string folder : {std::string(), temp.file("nowhere")}) {
        FakePrompts local;
        int settles = 0;
        EXPECT_FALSE(BackupOriginals(folder, local, [&] { ++settles; }));
        EXPECT_FALSE(RestoreOriginals(folder, local, [&] { ++settles; }));
        EXPECT_EQ(local.messages, Messages(2, "Can't do it - you need to locate the BFV folder!"));
        EXPECT_EQ(settles, 2);
    }
    EXPECT_FALSE(std::filesystem::exists(temp.file("nowhere")));
}

TEST_F(BackupTest, EmptyGameFolderNeverCountsAsBackedUp) {
    EXPECT_FALSE(GameFolder("").BackupsComplete());
    EXPECT_FALSE(GameFolder("").Exists());
    EXPECT_TRUE(Game().Exists());
}

TEST_F(BackupTest, OnlyCustomMusicPresentGetsBackupsFolderCreated) {
    ASSERT_TRUE(CreateFolder(Game().CustomMusic()));
    EXPECT_TRUE(Backup());
    EXPECT_TRUE(FolderExists(Backups()));
    EXPECT_TRUE(Game().BackupsComplete());
}

TEST_F(BackupTest, FolderLackingAGameFileGetsNothingCreatedAndTheFileNamed) {
    for (const std::string& missing : {Game().DefaultCon(), Game().MusicRfa()}) {
        MakeGameFolder(game);
        const std::string bytes = ReadFileBytes(missing);
        ASSERT_TRUE(RemoveFile(missing));
        auto before = TreeSnapshot(game);
        FakePrompts local;
        EXPECT_FALSE(BackupOriginals(game, local));
        EXPECT_EQ(local.messages,
                  Messages{"Couldn't do it - error while trying to copy : " + missing});
        EXPECT_EQ(TreeSnapshot(game), before);
        WriteFileBytes(missing, bytes);
    }
    EXPECT_TRUE(Backup());
}

TEST_F(BackupTest, SecondBackupIsRefusedByStateAndNeverOverwrites) {
    ASSERT_TRUE(Backup());
    WriteFileBytes(Game().DefaultCon(), "patched");
    EXPECT_FALSE(Backup());
    EXPECT_EQ(prompts.messages.back(),
              "Can't do it - everything is already backed up..(how did this get called?)");
    EXPECT_EQ(ReadFileBytes(Game().BackedUpDefaultCon()), kGameDefaultCon);
}

TEST_F(BackupTest, IncompleteBackupIsMadeAgainFromTheOriginals) {
    ASSERT_TRUE(CreateBackupFolders(game, prompts));
    WriteFileBytes(Game().BackedUpDefaultCon(), "cut short by a crash");
    WriteFileBytes(Game().BackedUpMusicRfa(), "older backup");
    EXPECT_EQ(Game().CheckBackups(), BackupState::Untrusted);
    EXPECT_TRUE(Backup());
    EXPECT_EQ(ReadFileBytes(Game().BackedUpDefaultCon()), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(Game().BackedUpMusicRfa()), kGameMusicRfa);
    EXPECT_TRUE(Game().BackupsComplete());
}

TEST_F(BackupTest, PatchedGameFilesAreNeverTakenForOriginals) {
    ASSERT_TRUE(CreateBackupFolders(game, prompts));
    WriteFileBytes(Game().BackedUpMusicRfa(), "the only original left");
    WriteFileBytes(Game().DefaultCon(),
                   kGameDefaultCon + "\r\nrun ../../../custom_music/playlists.con\r\n");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Backup());
    EXPECT_EQ(prompts.messages,
              Messages{"Couldn't do it - " + Game().DefaultCon() +
                       " already runs the custom playlist, so it is not the game's original. "
                       "Nothing was changed. Put the original files back (reinstall or repair "
                       "the game), then back up again."});
    EXPECT_EQ(TreeSnapshot(game), before);
}

TEST_F(BackupTest, BackupThenRestoreEmptiesBackupsAndRestoresGameFiles) {
    ASSERT_TRUE(Backup());
    WriteFileBytes(Game().DefaultCon(), "patched default");
    WriteFileBytes(Game().MusicRfa(), "patched music");
    EXPECT_TRUE(Restore());
    EXPECT_EQ(prompts.messages.back(), "Your original files have been restored.");
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(Game().MusicRfa()), kGameMusicRfa);
    EXPECT_TRUE(FolderExists(Backups()));
    EXPECT_TRUE(std::filesystem::is_empty(Backups()));
}

TEST_F(BackupTest, RestoreWithBackedUpMusicRemovedChangesNoGameFile) {
    ASSERT_TRUE(Backup());
    ASSERT_TRUE(RemoveFile(Game().BackedUpMusicRfa()));
    WriteFileBytes(Game().DefaultCon(), "patched default");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Restore());
    EXPECT_EQ(prompts.messages.back(),
              "Can't do it - the backup files have been removed - what did you do!?");
    EXPECT_EQ(TreeSnapshot(game), before);
}

TEST_F(BackupTest, RestoreRefusedAtMusicRfaChangesNothingAndCanBeRepeated) {
    ASSERT_TRUE(Backup());
    const std::string gameRfa = Game().MusicRfa();
    ASSERT_TRUE(RemoveFile(gameRfa));
    ASSERT_TRUE(CreateFolder(gameRfa)); // a folder in the way is never replaced
    WriteFileBytes(Game().DefaultCon(), "patched default");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Restore());
    EXPECT_EQ(prompts.messages.back(),
              "Couldn't do it - error while trying to move music.rfa from backup to: " + gameRfa);
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(Game().BackupsComplete());
    std::filesystem::remove(gameRfa);
    EXPECT_TRUE(Restore());
    EXPECT_EQ(ReadFileBytes(gameRfa), kGameMusicRfa);
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
}

TEST_F(BackupTest, BackupThatDoesNotMatchItsManifestIsNeverRestored) {
    const std::vector<std::function<void()>> damages = {
        [&] { RemoveFile(Game().ManifestFile()); },
        [&] { WriteFileBytes(Game().BackedUpMusicRfa(), "original music archive byteZ"); },
        [&] { WriteFileBytes(Game().BackedUpDefaultCon(), kGameDefaultCon.substr(3)); },
        [&] { WriteFileBytes(Game().ManifestFile(), "Palisor backup manifest 1\n"); },
    };
    for (const auto& damage : damages) {
        std::filesystem::remove_all(Game().CustomMusic());
        MakeGameFolder(game);
        ASSERT_TRUE(Backup());
        WriteFileBytes(Game().MusicRfa(), "patched music");
        damage();
        EXPECT_EQ(Game().CheckBackups(), BackupState::Untrusted);
        auto before = TreeSnapshot(game);
        EXPECT_FALSE(Restore());
        EXPECT_EQ(prompts.messages.back(),
                  "Can't do it - the backup in " + Backups() +
                      " does not match its manifest (it is incomplete or damaged), so it was not "
                      "used and nothing was changed. If the game's own files are still the "
                      "originals, press Backup Originals to back them up again; otherwise "
                      "reinstall or repair the game.");
        EXPECT_EQ(TreeSnapshot(game), before);
    }
}

TEST_F(BackupTest, UncreatableBackupLocationNamesTheFolder) {
    const std::string customMusic = Game().CustomMusic();
    WriteFileBytes(customMusic, "a file where the folder should be");
    EXPECT_FALSE(Backup());
    EXPECT_EQ(prompts.messages,
              Messages{"Couldn't do it - error while trying to create folder: " + customMusic});
}

TEST_F(BackupTest, GameFilesAreFoundWithoutRegardToCase) {
    std::filesystem::remove_all(game);
    std::filesystem::create_directories(game + "/mods/bfvietnam/Settings");
    std::filesystem::create_directories(game + "/mods/bfvietnam/archives");
    WriteFileBytes(game + "/mods/bfvietnam/Settings/default.con", kGameDefaultCon);
    WriteFileBytes(game + "/mods/bfvietnam/archives/MUSIC.RFA", kGameMusicRfa);
#ifdef _WIN32
    // The system ignores case: any spelling names the files.
    EXPECT_EQ(ReadFileBytes(Game().DefaultCon()), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(Game().MusicRfa()), kGameMusicRfa);
#else
    EXPECT_EQ(Game().DefaultCon(), game + "/mods/bfvietnam/Settings/default.con");
    EXPECT_EQ(Game().MusicRfa(), game + "/mods/bfvietnam/archives/MUSIC.RFA");
#endif
    EXPECT_TRUE(Backup());
    EXPECT_EQ(ReadFileBytes(Game().BackedUpMusicRfa()), kGameMusicRfa);
}

// Notes, with each message, whether the handler has settled by then.
class SettledAtMessage : public FakePrompts {
public:
    void Message(const std::string& text) override {
        FakePrompts::Message(text);
        settledAtMessage.push_back(settled);
    }
    bool settled = false;
    std::vector<bool> settledAtMessage;
};

struct SettledOrderCase {
    std::string label;
    bool restore;
    std::function<void(const std::string& game)> arrange;
    bool settledAtMessage;
};

void PrintTo(const SettledOrderCase& orderCase, std::ostream* out) {
    *out << orderCase.label;
}

class SettledOrderTest : public BackupTest,
                         public ::testing::WithParamInterface<SettledOrderCase> {};

// Refusals settle (the window's buttons come back) before their message; failed copies only
// after it.
TEST_P(SettledOrderTest, HandlerSettlesBeforeOrAfterTheMessage) {
    GetParam().arrange(game);
    SettledAtMessage messages;
    const auto settle = [&] { messages.settled = true; };
    bool done = GetParam().restore ? RestoreOriginals(game, messages, settle)
                                   : BackupOriginals(game, messages, settle);
    EXPECT_FALSE(done);
    EXPECT_EQ(messages.settledAtMessage, std::vector<bool>{GetParam().settledAtMessage});
    EXPECT_TRUE(messages.settled);
}

void BackUp(const std::string& game) {
    FakePrompts prompts;
    ASSERT_TRUE(BackupOriginals(game, prompts));
}

void Replace(const std::string& file) {
    ASSERT_TRUE(RemoveFile(file));
    ASSERT_TRUE(CreateFolder(file)); // a folder in the way cannot be replaced by a copy
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, SettledOrderTest,
    ::testing::Values(
        SettledOrderCase{"BackupNoGameFolder", false,
                         [](const std::string& game) { std::filesystem::remove_all(game); }, true},
        SettledOrderCase{"BackupAlreadyDone", false, BackUp, true},
        SettledOrderCase{"BackupFirstCopy", false,
                         [](const std::string& game) {
                             FakePrompts prompts;
                             ASSERT_TRUE(CreateBackupFolders(game, prompts));
                             ASSERT_TRUE(CreateFolder(GameFolder(game).BackedUpDefaultCon()));
                         },
                         false},
        SettledOrderCase{"BackupSecondCopy", false,
                         [](const std::string& game) { RemoveFile(GameFolder(game).MusicRfa()); },
                         false},
        SettledOrderCase{"RestoreNoBackups", true, [](const std::string&) {}, true},
        SettledOrderCase{"RestoreDefaultCon", true,
                         [](const std::string& game) {
                             BackUp(game);
                             Replace(GameFolder(game).DefaultCon());
                         },
                         true},
        SettledOrderCase{"RestoreMusicRfa", true,
                         [](const std::string& game) {
                             BackUp(game);
                             Replace(GameFolder(game).MusicRfa());
                         },
                         false}),
    [](const auto& testInfo) { return testInfo.param.label; });

} // namespace
