// Links pre-placed in the game folder at every temporary and destination name, and journals
// that were not written by Palisor: nothing outside the game folder may change, no link may be
// followed, and nothing the journal was not allowed to name may be touched.
#include "patcher/ApplyPatch.h"
#include "patcher/Backup.h"
#include "patcher/GameFolderRecovery.h"
#include "patcher/InstallJournal.h"
#include "patcher/PatchInstall.h"
#include "patcher/PatcherPaths.h"
#include "platform/FileOps.h"
#include "platform/SafeFile.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

class HostileGameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeGameFolder(game);
        ASSERT_TRUE(CreateFolder(base));
        ASSERT_TRUE(CreateFolder(outside));
        WriteFileBytes(victim, "not the player's game");
        ASSERT_TRUE(BackupOriginals(game, prompts, controls));
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
        prompts.messages.clear();
    }

    bool Apply() {
        FakeProgress progress;
        return PrepareWorkFolder(base, prompts) && ApplyPatch(game, pack, base, prompts, progress);
    }

    TempFolder temp;
    std::string game = temp.file("BFV");
    std::string base = temp.file("program");
    std::string outside = temp.file("outside");
    std::string victim = temp.file("outside/victim");
    std::string pack = temp.file("pack.velk");
    FakePrompts prompts;
    RecordingControls controls;
};

TEST_F(HostileGameFolderTest, LinksAtTemporaryNamesAreNeitherFollowedNorReplacedBy) {
    std::vector<std::string> links;
    auto targets = InstallTargets(game);
    for (const auto& path : {BackedUpDefaultCon(game), BackedUpMusicRfa(game),
                             BackupManifestFile(game), InstallJournalFile(game)})
        targets.push_back(path);
    for (const auto& target : targets)
        for (const auto& name : {SafeFile::TemporaryName(target, 0),
                                 SafeFile::TemporaryName(target, 1), target + ".copying"})
            links.push_back(name);
    for (const auto& link : links)
        fs::create_symlink(victim, link);
    fs::create_symlink(victim, InstallJournal::KeptName(GameDefaultCon(game)));

    ASSERT_TRUE(Apply());
    EXPECT_TRUE(RestoreOriginals(game, prompts, controls));
    EXPECT_TRUE(BackupOriginals(game, prompts, controls));
    EXPECT_EQ(ReadFileBytes(victim), "not the player's game");
    EXPECT_EQ(fs::directory_iterator(outside)->path(), victim);
    for (const auto& link : links)
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link))) << link;
    for (const auto& target : InstallTargets(game))
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << target;
}

TEST_F(HostileGameFolderTest, LinkAtADestinationIsRefusedAndNothingChanges) {
    for (const auto& target : InstallTargets(game)) {
        SCOPED_TRACE(target);
        const std::string saved = temp.file("saved");
        const bool existed = FileExists(target);
        if (existed)
            fs::rename(target, saved);
        fs::create_symlink(victim, target);
        auto before = TreeSnapshot(game);
        prompts.messages.clear();
        EXPECT_FALSE(Apply());
        EXPECT_EQ(prompts.messages,
                  Messages{"Unable to move file - patch failed: " + target +
                           " is a link, a folder or another special file, which Palisor never "
                           "replaces. Move it away, then apply again."});
        EXPECT_EQ(TreeSnapshot(game), before);
        EXPECT_EQ(ReadFileBytes(victim), "not the player's game");
        fs::remove(target);
        if (existed)
            fs::rename(saved, target);
    }
}

struct JournalCase {
    std::string label;
    std::string lines; // after the first line
};

void PrintTo(const JournalCase& journalCase, std::ostream* out) {
    *out << journalCase.label;
}

class HostileJournalTest : public HostileGameFolderTest,
                           public ::testing::WithParamInterface<JournalCase> {};

TEST_P(HostileJournalTest, IsRefusedAndTouchesNothing) {
    // A staged file where the journal says, so only the journal's own faults can stop it.
    WriteFileBytes(SafeFile::TemporaryName(GameDefaultCon(game), 0), "staged");
    const std::string journal = InstallJournalFile(game);
    WriteFileBytes(journal, "Palisor install journal 1\n" + GetParam().lines);
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(RecoverInterruptedInstall(game, prompts));
    EXPECT_EQ(prompts.messages,
              Messages{"Palisor found an install journal it cannot read: " + journal +
                       ". Nothing was changed. Move that file away, then use Restore Originals "
                       "to put the original game files back."});
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_EQ(ReadFileBytes(victim), "not the player's game");
    EXPECT_FALSE(Apply()); // every command stops there until the journal is dealt with
    EXPECT_EQ(TreeSnapshot(game), before);
}

const std::string kDefaultCon = "Mods/BfVietnam/settings/Default.con";

INSTANTIATE_TEST_SUITE_P(
    Journals, HostileJournalTest,
    ::testing::Values(
        JournalCase{"NoState", "1\t" + kDefaultCon + "\t" + kDefaultCon + ".kp-new\n"},
        JournalCase{"CutShort", "state rollback\n1\t" + kDefaultCon + "\t" + kDefaultCon},
        JournalCase{"Escaping", "state rollback\n1\t../outside/victim\t../outside/victim.kp-new\n"},
        JournalCase{"Absolute", "state rollback\n1\t/etc/passwd\t/etc/passwd.kp-new\n"},
        JournalCase{"NotATarget", "state rollback\n0\tcustom_music/backups/music.rfa\t"
                                  "custom_music/backups/music.rfa.kp-new\n"},
        JournalCase{"StagedElsewhere",
                    "state rollback\n1\t" + kDefaultCon + "\tcustom_music/backups/Default.con\n"},
        JournalCase{"BadFlag",
                    "state install\n2\t" + kDefaultCon + "\t" + kDefaultCon + ".kp-new\n"},
        JournalCase{"DotDotInside", "state install\n1\tMods/../Mods/BfVietnam/settings/"
                                    "Default.con\tMods/../Mods/BfVietnam/settings/"
                                    "Default.con.kp-new\n"}),
    [](const auto& param) { return param.param.label; });

} // namespace
