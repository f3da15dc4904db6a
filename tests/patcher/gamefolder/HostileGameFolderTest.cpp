// Links pre-placed in the game folder at every temporary and destination name, and journals
// that were not written by Palisor: nothing outside the game folder may change, no link may be
// followed, and nothing the journal was not allowed to name may be touched. On Windows the
// links are reparse points; pipes and device nodes exist only on POSIX, and Windows puts a
// folder where they were.
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/InstallJournal.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FileOps.h"
#include "platform/SafeFile.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

const char* const kNoLinks = "this system makes no links (Wine 8 has no reparse points)";

bool IsLink(const std::string& path) {
    return InspectPath(path).kind == PathKind::Link;
}

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
    if (!CanMakeLinks())
        GTEST_SKIP() << kNoLinks;
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
        ASSERT_TRUE(MakeSymbolicLink(victim, link)) << link;
    ASSERT_TRUE(MakeSymbolicLink(victim, InstallJournal::KeptName(GameDefaultCon(game))));

    ASSERT_TRUE(Apply());
    EXPECT_TRUE(RestoreOriginals(game, prompts, controls));
    EXPECT_TRUE(BackupOriginals(game, prompts, controls));
    EXPECT_EQ(ReadFileBytes(victim), "not the player's game");
    EXPECT_EQ(ListFolder(outside).size(), 1u);
    for (const auto& link : links)
        EXPECT_TRUE(IsLink(link)) << link;
    for (const auto& target : InstallTargets(game))
        EXPECT_EQ(InspectPath(target).kind, PathKind::RegularFile) << target;
}

TEST_F(HostileGameFolderTest, LinkAtADestinationIsRefusedAndNothingChanges) {
    if (!CanMakeLinks())
        GTEST_SKIP() << kNoLinks;
    for (const auto& target : InstallTargets(game)) {
        SCOPED_TRACE(target);
        const std::string saved = temp.file("saved");
        const bool existed = FileExists(target);
        if (existed)
            fs::rename(target, saved);
        ASSERT_TRUE(MakeSymbolicLink(victim, target));
        auto before = TreeSnapshot(game);
        prompts.messages.clear();
        EXPECT_FALSE(Apply());
        EXPECT_EQ(prompts.messages,
                  Messages{"Unable to move file - patch failed: " + target +
                           " is a link, a folder or another special file, which Palisor never "
                           "replaces. Move it away, then apply again."});
        EXPECT_EQ(TreeSnapshot(game), before);
        EXPECT_EQ(ReadFileBytes(victim), "not the player's game");
        ASSERT_TRUE(RemoveFile(target));
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
        // Windows reads these as the game's own files or places outside the game folder.
        JournalCase{"DriveLetter", "state rollback\n1\tC:/Windows/win.ini\tC:/Windows/win.ini.kp-new\n"},
        JournalCase{"Backslashes", "state rollback\n1\tMods\\BfVietnam\\settings\\Default.con\t"
                                   "Mods\\BfVietnam\\settings\\Default.con.kp-new\n"},
        JournalCase{"EscapingBackslashes",
                    "state rollback\n1\t..\\outside\\victim\t..\\outside\\victim.kp-new\n"},
        JournalCase{"OtherCase", "state rollback\n1\tmods/bfvietnam/settings/default.con\t"
                                 "mods/bfvietnam/settings/default.con.kp-new\n"},
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
// huge file, or a journal forged to make a roll-back destroy the originals. Pipes and devices
// are POSIX-only; Windows meets a folder in their place (the Folder cases, on both systems).
enum class Refusal { UnreadableJournal, LinkedFolder, SpecialInBackups, FolderInTheWay };
enum Command { kBackup = 1, kRestore = 2, kApply = 4, kEvery = 7 };

struct StateFileCase {
    std::string label;
    int commands;
    Refusal refusal;
    // Makes the hostile thing and returns the path the message must name.
    std::function<std::string(const std::string& game, const std::string& outside)> make;
    bool makesLinks = false;
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

#ifndef _WIN32
// A pipe, or a device node like /dev/null (made as root; otherwise a link to /dev/zero).
void MakePipe(const std::string& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
}

void MakeDevice(const std::string& path) {
    if (::geteuid() == 0)
        ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 3)), 0);
    else
        ASSERT_TRUE(MakeSymbolicLink("/dev/zero", path));
}
#endif

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
    EXPECT_TRUE(MakeFolderLink(away, folder));
    return folder;
}

std::string LinkedToVictim(const std::string& path, const std::string& outside) {
    EXPECT_TRUE(MakeSymbolicLink(outside + "/victim", path));
    return path;
}

class HostileStateFileTest : public HostileGameFolderTest,
                             public ::testing::WithParamInterface<StateFileCase> {};

TEST_P(HostileStateFileTest, IsRefusedNamedAndNothingChanges) {
    if (GetParam().makesLinks && !CanMakeLinks())
        GTEST_SKIP() << kNoLinks;
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

std::vector<StateFileCase> StateFileCases() {
    std::vector<StateFileCase> cases = {
        StateFileCase{"LinkAsJournal", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto& outside) {
                          return LinkedToVictim(InstallJournalFile(game), outside);
                      },
                      true},
        StateFileCase{"FolderAsJournal", kEvery, Refusal::UnreadableJournal,
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
                          LinkedToVictim(InstallJournal::KeptName(GameMusicRfa(game)), outside);
                          return Journal(game, "state rollback\n1\t" + kMusicRfa + "\t" +
                                                   kMusicRfa + ".kp-new\n");
                      },
                      true},
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
                      },
                      true},
        StateFileCase{"BackupsIsALink", kEvery, Refusal::LinkedFolder,
                      [](auto& game, auto& outside) {
                          return MovedOutAndLinked(BackupsFolder(game), outside);
                      },
                      true},
        StateFileCase{"LinkAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto& outside) {
                          fs::remove(BackupManifestFile(game));
                          return LinkedToVictim(BackupManifestFile(game), outside);
                      },
                      true},
        StateFileCase{"FolderAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) {
                          return Replaced(BackupManifestFile(game), [](const std::string& path) {
                              fs::create_directory(path);
                          });
                      }},
        StateFileCase{"FolderAsBackedUpMusic", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) {
                          return Replaced(BackedUpMusicRfa(game), [](const std::string& path) {
                              fs::create_directory(path);
                          });
                      }}};
#ifndef _WIN32
    // Windows has neither pipes nor device nodes in a folder: the Folder cases stand for them.
    const std::vector<StateFileCase> posixOnly = {
        StateFileCase{"PipeAsJournal", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto&) { return Replaced(InstallJournalFile(game), MakePipe); }},
        StateFileCase{"DeviceAsJournal", kEvery, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          return Replaced(InstallJournalFile(game), MakeDevice);
                      }},
        StateFileCase{"KeptOriginalIsAPipe", kApply, Refusal::UnreadableJournal,
                      [](auto& game, auto&) {
                          MakePipe(InstallJournal::KeptName(GameMusicRfa(game)));
                          return Journal(game, "state rollback\n1\t" + kMusicRfa + "\t" +
                                                   kMusicRfa + ".kp-new\n1\t" + kDefaultCon +
                                                   "\t" + kDefaultCon + ".kp-new\n");
                      }},
        StateFileCase{"PipeAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) { return Replaced(BackupManifestFile(game), MakePipe); }},
        StateFileCase{"DeviceAsManifest", kBackup, Refusal::SpecialInBackups,
                      [](auto& game, auto&) {
                          return Replaced(BackupManifestFile(game), MakeDevice);
                      }}};
    cases.insert(cases.end(), posixOnly.begin(), posixOnly.end());
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(StateFiles, HostileStateFileTest, ::testing::ValuesIn(StateFileCases()),
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
    EXPECT_EQ(InspectPath(ussc).kind, PathKind::Missing);
    EXPECT_EQ(InspectPath(InstallJournal::KeptName(ussc)).kind, PathKind::Missing);
    EXPECT_EQ(InspectPath(GameDefaultCon(game) + ".kp-new").kind, PathKind::Missing);
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
}

} // namespace
