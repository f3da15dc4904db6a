#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/Backup.h"
#include "platform/FileOps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using Messages = std::vector<std::string>;

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = temp.file("BFV");
        MakeGameFolder(game);
    }

    bool Backup() { return BackupOriginals(game, prompts, controls); }
    bool Restore() { return RestoreOriginals(game, prompts, controls); }
    std::string Backups() const { return BackupsFolder(game); }

    TempFolder temp;
    std::string game;
    FakePrompts prompts;
    RecordingControls controls;
};

TEST_F(BackupTest, BackupCopiesBothFilesAndSwapsTheButtons) {
    EXPECT_FALSE(BackupsComplete(game));
    EXPECT_TRUE(Backup());
    EXPECT_EQ(prompts.messages, Messages{"Your files are now backed up in: " + Backups()});
    EXPECT_EQ(ReadFileBytes(BackedUpDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(BackedUpMusicRfa(game)), kGameMusicRfa);
    EXPECT_TRUE(BackupsComplete(game));
    EXPECT_FALSE(controls.backupEnabled);
    EXPECT_TRUE(controls.restoreEnabled);
    EXPECT_EQ(controls.cursor, (std::vector<bool>{true, false}));
}

TEST_F(BackupTest, MissingGameFolderIsReportedForBothHandlers) {
    for (std::string folder : {std::string(), temp.file("nowhere")}) {
        FakePrompts local;
        RecordingControls buttons;
        EXPECT_FALSE(BackupOriginals(folder, local, buttons));
        EXPECT_FALSE(RestoreOriginals(folder, local, buttons));
        EXPECT_EQ(local.messages, Messages(2, "Can't do it - you need to locate the BFV folder!"));
        EXPECT_TRUE(buttons.backupEnabled);
        EXPECT_TRUE(buttons.restoreEnabled);
        EXPECT_EQ(buttons.cursor, (std::vector<bool>{true, false, true, false}));
    }
    EXPECT_FALSE(std::filesystem::exists(temp.file("nowhere")));
}

TEST_F(BackupTest, EmptyGameFolderNeverCountsAsBackedUp) {
    EXPECT_FALSE(BackupsComplete(""));
    EXPECT_FALSE(GameFolderExists(""));
    EXPECT_TRUE(GameFolderExists(game));
}

TEST_F(BackupTest, OnlyCustomMusicPresentGetsBackupsFolderCreated) {
    ASSERT_TRUE(CreateFolder(CustomMusicFolder(game)));
    EXPECT_TRUE(Backup());
    EXPECT_TRUE(FolderExists(Backups()));
    EXPECT_TRUE(BackupsComplete(game));
}

TEST_F(BackupTest, FolderLackingAGameFileGetsNothingCreatedAndTheFileNamed) {
    for (const std::string& missing : {GameDefaultCon(game), GameMusicRfa(game)}) {
        MakeGameFolder(game);
        const std::string bytes = ReadFileBytes(missing);
        ASSERT_TRUE(RemoveFile(missing));
        auto before = TreeSnapshot(game);
        FakePrompts local;
        EXPECT_FALSE(BackupOriginals(game, local, controls));
        EXPECT_EQ(local.messages,
                  Messages{"Couldn't do it - error while trying to copy : " + missing});
        EXPECT_EQ(TreeSnapshot(game), before);
        EXPECT_TRUE(controls.backupEnabled);
        WriteFileBytes(missing, bytes);
    }
    EXPECT_TRUE(Backup());
}

TEST_F(BackupTest, SecondBackupIsRefusedByStateAndNeverOverwrites) {
    ASSERT_TRUE(Backup());
    WriteFileBytes(GameDefaultCon(game), "patched");
    EXPECT_FALSE(Backup());
    EXPECT_EQ(prompts.messages.back(),
              "Can't do it - everything is already backed up..(how did this get called?)");
    EXPECT_EQ(ReadFileBytes(BackedUpDefaultCon(game)), kGameDefaultCon);
}

TEST_F(BackupTest, IncompleteBackupIsMadeAgainFromTheOriginals) {
    ASSERT_TRUE(CreateBackupFolders(game, prompts));
    WriteFileBytes(BackedUpDefaultCon(game), "cut short by a crash");
    WriteFileBytes(BackedUpMusicRfa(game), "older backup");
    EXPECT_EQ(CheckBackups(game), BackupState::Untrusted);
    EXPECT_TRUE(Backup());
    EXPECT_EQ(ReadFileBytes(BackedUpDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(BackedUpMusicRfa(game)), kGameMusicRfa);
    EXPECT_TRUE(BackupsComplete(game));
}

TEST_F(BackupTest, PatchedGameFilesAreNeverTakenForOriginals) {
    ASSERT_TRUE(CreateBackupFolders(game, prompts));
    WriteFileBytes(BackedUpMusicRfa(game), "the only original left");
    WriteFileBytes(GameDefaultCon(game),
                   kGameDefaultCon + "\r\nrun ../../../custom_music/playlists.con\r\n");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Backup());
    EXPECT_EQ(prompts.messages,
              Messages{"Couldn't do it - " + GameDefaultCon(game) +
                       " already runs the custom playlist, so it is not the game's original. "
                       "Nothing was changed. Put the original files back (reinstall or repair "
                       "the game), then back up again."});
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(controls.backupEnabled);
}

TEST_F(BackupTest, BackupThenRestoreEmptiesBackupsAndRestoresGameFiles) {
    ASSERT_TRUE(Backup());
    WriteFileBytes(GameDefaultCon(game), "patched default");
    WriteFileBytes(GameMusicRfa(game), "patched music");
    EXPECT_TRUE(Restore());
    EXPECT_EQ(prompts.messages.back(), "Your original files have been restored.");
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
    EXPECT_TRUE(FolderExists(Backups()));
    EXPECT_TRUE(std::filesystem::is_empty(Backups()));
    EXPECT_TRUE(controls.backupEnabled);
    EXPECT_FALSE(controls.restoreEnabled);
}

TEST_F(BackupTest, RestoreWithBackedUpMusicRemovedChangesNoGameFile) {
    ASSERT_TRUE(Backup());
    ASSERT_TRUE(RemoveFile(BackedUpMusicRfa(game)));
    WriteFileBytes(GameDefaultCon(game), "patched default");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Restore());
    EXPECT_EQ(prompts.messages.back(),
              "Can't do it - the backup files have been removed - what did you do!?");
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(controls.restoreEnabled);
}

TEST_F(BackupTest, RestoreRefusedAtMusicRfaChangesNothingAndCanBeRepeated) {
    ASSERT_TRUE(Backup());
    const std::string gameRfa = GameMusicRfa(game);
    ASSERT_TRUE(RemoveFile(gameRfa));
    ASSERT_TRUE(CreateFolder(gameRfa)); // a folder in the way is never replaced
    WriteFileBytes(GameDefaultCon(game), "patched default");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Restore());
    EXPECT_EQ(prompts.messages.back(),
              "Couldn't do it - error while trying to move music.rfa from backup to: " + gameRfa);
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(BackupsComplete(game));
    EXPECT_TRUE(controls.restoreEnabled);
    std::filesystem::remove(gameRfa);
    EXPECT_TRUE(Restore());
    EXPECT_EQ(ReadFileBytes(gameRfa), kGameMusicRfa);
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
}

TEST_F(BackupTest, BackupThatDoesNotMatchItsManifestIsNeverRestored) {
    const std::vector<std::function<void()>> damages = {
        [&] { RemoveFile(BackupManifestFile(game)); },
        [&] { WriteFileBytes(BackedUpMusicRfa(game), "original music archive byteZ"); },
        [&] { WriteFileBytes(BackedUpDefaultCon(game), kGameDefaultCon.substr(3)); },
        [&] { WriteFileBytes(BackupManifestFile(game), "Palisor backup manifest 1\n"); },
    };
    for (const auto& damage : damages) {
        std::filesystem::remove_all(CustomMusicFolder(game));
        MakeGameFolder(game);
        ASSERT_TRUE(Backup());
        WriteFileBytes(GameMusicRfa(game), "patched music");
        damage();
        EXPECT_EQ(CheckBackups(game), BackupState::Untrusted);
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
    const std::string customMusic = CustomMusicFolder(game);
    WriteFileBytes(customMusic, "a file where the folder should be");
    EXPECT_FALSE(Backup());
    EXPECT_EQ(prompts.messages,
              Messages{"Couldn't do it - error while trying to create folder: " + customMusic});
    EXPECT_TRUE(controls.backupEnabled);
}

TEST_F(BackupTest, GameFilesAreFoundWithoutRegardToCase) {
    std::filesystem::remove_all(game);
    std::filesystem::create_directories(game + "/mods/bfvietnam/Settings");
    std::filesystem::create_directories(game + "/mods/bfvietnam/archives");
    WriteFileBytes(game + "/mods/bfvietnam/Settings/default.con", kGameDefaultCon);
    WriteFileBytes(game + "/mods/bfvietnam/archives/MUSIC.RFA", kGameMusicRfa);
#ifdef _WIN32
    // The system ignores case: any spelling names the files.
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
#else
    EXPECT_EQ(GameDefaultCon(game), game + "/mods/bfvietnam/Settings/default.con");
    EXPECT_EQ(GameMusicRfa(game), game + "/mods/bfvietnam/archives/MUSIC.RFA");
#endif
    EXPECT_TRUE(Backup());
    EXPECT_EQ(ReadFileBytes(BackedUpMusicRfa(game)), kGameMusicRfa);
}

// Notes, with each message, whether the pressed handler's button was enabled as it showed.
class ButtonAtMessage : public FakePrompts {
public:
    ButtonAtMessage(const RecordingControls& controls, bool restore)
        : controls_(controls), restore_(restore) {}
    void Message(const std::string& text) override {
        FakePrompts::Message(text);
        enabled.push_back(restore_ ? controls_.restoreEnabled : controls_.backupEnabled);
    }
    std::vector<bool> enabled;

private:
    const RecordingControls& controls_;
    bool restore_;
};

struct ButtonOrderCase {
    std::string label;
    bool restore;
    std::function<void(const std::string& game)> arrange;
    bool enabledAtMessage;
};

void PrintTo(const ButtonOrderCase& orderCase, std::ostream* out) {
    *out << orderCase.label;
}

class ButtonOrderTest : public BackupTest, public ::testing::WithParamInterface<ButtonOrderCase> {};

// Refusals bring the button back before their message; failed copies only after it.
TEST_P(ButtonOrderTest, ButtonComesBackBeforeOrAfterTheMessage) {
    GetParam().arrange(game);
    ButtonAtMessage messages(controls, GetParam().restore);
    controls.restoreEnabled = GetParam().restore;
    bool done = GetParam().restore ? RestoreOriginals(game, messages, controls)
                                   : BackupOriginals(game, messages, controls);
    EXPECT_FALSE(done);
    EXPECT_EQ(messages.enabled, std::vector<bool>{GetParam().enabledAtMessage});
    EXPECT_TRUE(GetParam().restore ? controls.restoreEnabled : controls.backupEnabled);
}

void BackUp(const std::string& game) {
    FakePrompts prompts;
    RecordingControls controls;
    ASSERT_TRUE(BackupOriginals(game, prompts, controls));
}

void Replace(const std::string& file) {
    ASSERT_TRUE(RemoveFile(file));
    ASSERT_TRUE(CreateFolder(file)); // a folder in the way cannot be replaced by a copy
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, ButtonOrderTest,
    ::testing::Values(
        ButtonOrderCase{"BackupNoGameFolder", false,
                        [](const std::string& game) { std::filesystem::remove_all(game); }, true},
        ButtonOrderCase{"BackupAlreadyDone", false, BackUp, true},
        ButtonOrderCase{"BackupFirstCopy", false,
                        [](const std::string& game) {
                            FakePrompts prompts;
                            ASSERT_TRUE(CreateBackupFolders(game, prompts));
                            ASSERT_TRUE(CreateFolder(BackedUpDefaultCon(game)));
                        },
                        false},
        ButtonOrderCase{"BackupSecondCopy", false,
                        [](const std::string& game) { RemoveFile(GameMusicRfa(game)); }, false},
        ButtonOrderCase{"RestoreNoBackups", true, [](const std::string&) {}, true},
        ButtonOrderCase{"RestoreDefaultCon", true,
                        [](const std::string& game) {
                            BackUp(game);
                            Replace(GameDefaultCon(game));
                        },
                        true},
        ButtonOrderCase{"RestoreMusicRfa", true,
                        [](const std::string& game) {
                            BackUp(game);
                            Replace(GameMusicRfa(game));
                        },
                        false}),
    [](const auto& testInfo) { return testInfo.param.label; });

} // namespace
