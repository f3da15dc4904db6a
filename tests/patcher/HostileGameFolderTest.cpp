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
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

// Palisor's own state files and folders made hostile: a pipe, a link, a folder, a device, a
// huge file, or a journal forged to make a roll-back destroy the originals.
enum class Refusal { UnreadableJournal, LinkedFolder, SpecialInBackups, FolderInTheWay };
enum Command { kBackup = 1, kRestore = 2, kApply = 4, kEvery = 7 };

struct StateFileCase {
    std::string label;
    int commands;
    Refusal refusal;
    // Makes the hostile thing and returns the path the message must name.
    std::function<std::string(const std::string& game, const std::string& outside)> make;
};

void PrintTo(const StateFileCase& stateCase, std::ostream* out) {
    *out << stateCase.label;
}

std::string ExpectedMessage(Refusal refusal, const std::string& named) {
    switch (refusal) {
    case Refusal::UnreadableJournal:
        return "Palisor found an install journal it cannot read: " + named +
               ". Nothing was changed. Move that file away, then use Restore Originals to put "
               "the original game files back.";
    case Refusal::LinkedFolder:
        return "Can't do it - " + named +
               " is a link. Palisor keeps its backups and the installed playlist only in a real "
               "folder inside the game folder, so nothing was changed. Replace the link by a "
               "real folder (move into it what it leads to, if you need that), then try again.";
    case Refusal::SpecialInBackups:
        return "Couldn't do it - " + named +
               " is a link, a folder or another special file, which Palisor never replaces. "
               "Move it away, then back up again.";
    case Refusal::FolderInTheWay:
        return "Palisor found an interrupted change to the game files but could not finish or "
               "undo it: a folder is in the way at " +
               named + ". Nothing was changed. Move that folder away, then try again.";
    }
    return {};
}

// A pipe, or a device node like /dev/null (made as root; otherwise a link to /dev/zero).
void MakePipe(const std::string& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
}

void MakeDevice(const std::string& path) {
    if (::geteuid() == 0)
        ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 3)), 0);
    else
        fs::create_symlink("/dev/zero", path);
}

const std::string kMusicRfa = "Mods/BfVietnam/Archives/music.rfa";

std::string Journal(const std::string& game, const std::string& lines) {
    WriteFileBytes(InstallJournalFile(game), "Palisor install journal 1\n" + lines);
    return InstallJournalFile(game);
}

std::string Replaced(const std::string& path, const std::function<void(const std::string&)>& by) {
    fs::remove(path);
    by(path);
    return path;
}

std::string MovedOutAndLinked(const std::string& folder, const std::string& outside) {
    const std::string away = outside + "/moved";
    fs::rename(folder, away);
    fs::create_symlink(away, folder);
    return folder;
}

class HostileStateFileTest : public HostileGameFolderTest,
                             public ::testing::WithParamInterface<StateFileCase> {};

TEST_P(HostileStateFileTest, IsRefusedNamedAndNothingChanges) {
    const std::string named = GetParam().make(game, outside);
    ASSERT_FALSE(HasFatalFailure());
    const auto gameBefore = TreeSnapshot(game);
    const auto outsideBefore = TreeSnapshot(outside);
    const std::pair<int, std::function<bool()>> commands[] = {
        {kBackup, [&] { return BackupOriginals(game, prompts, controls); }},
        {kRestore, [&] { return RestoreOriginals(game, prompts, controls); }},
        {kApply, [&] { return Apply(); }}};
    for (const auto& [command, run] : commands) {
        if (!(GetParam().commands & command))
            continue;
        SCOPED_TRACE(command);
        prompts.messages.clear();
        EXPECT_FALSE(run());
        EXPECT_EQ(prompts.messages, Messages{ExpectedMessage(GetParam().refusal, named)});
        EXPECT_EQ(TreeSnapshot(game), gameBefore);
        EXPECT_EQ(TreeSnapshot(outside), outsideBefore);
        EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
        EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
    }
}

INSTANTIATE_TEST_SUITE_P(
    StateFiles, HostileStateFileTest,
    ::testing::Values(
        StateFileCase{"PipeAsJournal", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto&) { return Replaced(InstallJournalFile(game), MakePipe); }},
        StateFileCase{"DeviceAsJournal", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          return Replaced(InstallJournalFile(game), MakeDevice);
                      }},
        StateFileCase{"LinkAsJournal", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto& outside) {
                          fs::create_symlink(outside + "/victim", InstallJournalFile(game));
                          return InstallJournalFile(game);
                      }},
        StateFileCase{"FolderAsJournal", kApply, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          fs::create_directory(InstallJournalFile(game));
                          return InstallJournalFile(game);
                      }},
        StateFileCase{"HugeJournal", kApply, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          return Journal(game, "state rollback\n" + std::string(1 << 20, '#'));
                      }},
        StateFileCase{"ForgedNewOriginals", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          return Journal(game, "state rollback\n0\t" + kDefaultCon + "\t" +
                                                   kDefaultCon + ".kp-new\n0\t" + kMusicRfa +
                                                   "\t" + kMusicRfa + ".kp-new\n");
                      }},
        StateFileCase{"ForgedNewWithoutEmptyMarker", kApply, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          WriteFileBytes(InstallJournal::KeptName(GameMusicRfa(game)), "x");
                          return Journal(game, "state rollback\n0\t" + kMusicRfa + "\t" +
                                                   kMusicRfa + ".kp-new\n");
                      }},
        StateFileCase{"KeptOriginalIsALink", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto& outside) {
                          fs::create_symlink(outside + "/victim",
                                             InstallJournal::KeptName(GameMusicRfa(game)));
                          return Journal(game, "state rollback\n1\t" + kMusicRfa + "\t" +
                                                   kMusicRfa + ".kp-new\n");
                      }},
        StateFileCase{"KeptOriginalIsAPipe", kApply, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          MakePipe(InstallJournal::KeptName(GameMusicRfa(game)));
                          return Journal(game, "state rollback\n1\t" + kMusicRfa + "\t" +
                                                   kMusicRfa + ".kp-new\n1\t" + kDefaultCon +
                                                   "\t" + kDefaultCon + ".kp-new\n");
                      }},
        StateFileCase{"KeptOriginalIsAFolder", kEvery, Refusal::FolderInTheWay,
                      [](auto& game, auto&) {
                          const std::string kept = InstallJournal::KeptName(GameMusicRfa(game));
                          fs::create_directory(kept);
                          Journal(game, "state rollback\n1\t" + kMusicRfa + "\t" + kMusicRfa +
                                            ".kp-new\n");
                          return kept;
                      }},
        StateFileCase{"CustomMusicIsALink", kEvery, Refusal::LinkedFolder,
                      [](auto& game, auto& outside) {
                          return MovedOutAndLinked(CustomMusicFolder(game), outside);
                      }},
        StateFileCase{"BackupsIsALink", kEvery, Refusal::LinkedFolder,
                      [](auto& game, auto& outside) {
                          return MovedOutAndLinked(BackupsFolder(game), outside);
                      }},
        StateFileCase{"PipeAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) { return Replaced(BackupManifestFile(game), MakePipe); }},
        StateFileCase{"DeviceAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) {
                          return Replaced(BackupManifestFile(game), MakeDevice);
                      }},
        StateFileCase{"LinkAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto& outside) {
                          return Replaced(BackupManifestFile(game), [&](const std::string& path) {
                              fs::create_symlink(outside + "/victim", path);
                          });
                      }},
        StateFileCase{"FolderAsBackedUpMusic", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) {
                          return Replaced(BackedUpMusicRfa(game), [](const std::string& path) {
                              fs::create_directory(path);
                          });
                      }}),
    [](const auto& param) { return param.param.label; });

TEST_F(HostileGameFolderTest, RollBackRemovesANewFileOnlyWithItsEmptyMarker) {
    // An interrupted first install: US.ssc was new, and its marker says so.
    const std::string ussc = InstalledUsSsc(game);
    WriteFileBytes(ussc, "new script");
    WriteFileBytes(InstallJournal::KeptName(ussc), "");
    Journal(game, "state install\n0\tcustom_music/US.ssc\tcustom_music/US.ssc.kp-new\n"
                  "1\t" + kDefaultCon + "\t" + kDefaultCon + ".kp-new\n");
    WriteFileBytes(GameDefaultCon(game) + ".kp-new", "staged, never renamed");
    EXPECT_TRUE(RecoverInterruptedInstall(game, prompts));
    EXPECT_FALSE(fs::exists(fs::symlink_status(ussc)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(InstallJournal::KeptName(ussc))));
    EXPECT_FALSE(fs::exists(GameDefaultCon(game) + ".kp-new"));
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
}

} // namespace
