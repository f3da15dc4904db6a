#include "audio/OggDecoder.h"
#include "common/PackLayout.h"
#include "patcher/gamefolder/GameFolderState.h"
#include "patcher/gamefolder/InstalledPackRecord.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "patcher/install/PatchJob.h"
#include "platform/FileOps.h"
#include "tests/audio/OggFixture.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

using Messages = std::vector<std::string>;

const std::string kRunLine = "\r\nrun ../../../custom_music/playlists.con\r\n";

std::string SongName(int number, const char* extension) {
    return PackLayout::SongFileName(number, extension);
}

// A game folder with complete backups, a base folder holding the prepared work folder, and
// packs written into the temporary folder.
class PatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = temp.file("BFV");
        base = temp.file("program");
        MakeGameFolder(game);
        ASSERT_TRUE(CreateFolder(base));
        RecordingControls controls;
        ASSERT_TRUE(BackupOriginals(game, prompts, controls));
        ASSERT_TRUE(PrepareWorkFolder(base, prompts));
        prompts.messages.clear();
    }

    std::string WritePack(const std::vector<PackEntry>& entries, bool compressed = false) {
        std::string path = temp.file("pack" + std::to_string(++packCount) + ".velk");
        WriteFileBytes(path, FlatArchiveBytes(entries, compressed));
        return path;
    }

    bool Apply(const std::string& pack) {
        FakeProgress fresh;
        fresh.cancelWhen = cancelWhen;
        progress = fresh;
        return ApplyPatch(game, pack, base, prompts, progress, nullptr, jobs);
    }

    std::string Work() const { return WorkFolderIn(base); }

    // The game's decoded songs as the decoder writes them, to compare with what is installed.
    static const std::vector<std::string>& DecodedSongs() {
        static const std::vector<std::string> songs = [] {
            TempFolder folder;
            std::vector<std::string> wavs;
            for (int n = 1; n <= 16; ++n) {
                WriteFileBytes(folder.file(SongName(n, "ogg")), SongOggs()[n - 1]);
                OggDecoder decoder;
                if (!decoder.decodeToWav(folder.file(SongName(n, "ogg"))))
                    throw std::runtime_error("fixture song does not decode");
                wavs.push_back(ReadFileBytes(folder.file(SongName(n, "wav"))));
            }
            return wavs;
        }();
        return songs;
    }

    std::vector<PackEntry> InstalledArchive() {
        std::vector<PackEntry> entries;
        EXPECT_TRUE(ReadStoredArchive(ReadFileBytes(GameMusicRfa(game)), entries));
        std::sort(entries.begin(), entries.end(),
                  [](const PackEntry& a, const PackEntry& b) { return a.name < b.name; });
        return entries;
    }

    TempFolder temp;
    std::string game, base;
    FakePrompts prompts;
    FakeProgress progress;
    std::function<bool(const std::vector<FakeProgress::Step>&)> cancelWhen;
    int packCount = 0;
    int jobs = 0; // 0: one per core
};

TEST_F(PatchTest, RegularPackInstallsAllFourFilesAndEmptiesTheWorkFolder) {
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(prompts.messages, Messages{"Patching Is Done!"});
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon + kRunLine);
    EXPECT_EQ(ReadFileBytes(InstalledPlaylists(game)), kPlaylistsText);
    EXPECT_EQ(ReadFileBytes(InstalledUsSsc(game)), kUsSscText);
    EXPECT_TRUE(std::filesystem::is_empty(Work()));
    EXPECT_EQ(ReadFileBytes(BackedUpDefaultCon(game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(BackedUpMusicRfa(game)), kGameMusicRfa);
}

TEST_F(PatchTest, InstalledArchiveHoldsExactlyTheSixteenDecodedSongs) {
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries())));
    auto entries = InstalledArchive();
    ASSERT_EQ(entries.size(), 16u);
    for (int n = 1; n <= 16; ++n) {
        const auto& entry = entries[n - 1];
        EXPECT_EQ(entry.name, "music/US/" + SongName(n, "wav"));
        ASSERT_GE(entry.data.size(), 44u);
        EXPECT_EQ(entry.data.substr(0, 4), "RIFF");
        EXPECT_EQ(entry.data.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(entry.data.substr(0, 44), DecodedSongs()[n - 1].substr(0, 44)) << n;
        EXPECT_EQ(entry.data, DecodedSongs()[n - 1]) << n;
    }
}

TEST_F(PatchTest, ReportsEveryStepAtItsPosition) {
    jobs = 1;
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries())));
    std::vector<FakeProgress::Step> expected = {{0, "Unpackaging velk"},
                                                {0, "Verifying velk structure"},
                                                {0, "Verifying playlist"},
                                                {0, "Verifying ssc"}};
    for (int n = 1; n <= 16; ++n)
        expected.push_back({0, "Verifying " + SongName(n, "ogg")});
    for (int n = 1; n <= 16; ++n)
        expected.push_back({n, "Decoding " + SongName(n, "ogg")});
    expected.push_back({17, "Preparing velk Folder"});
    expected.push_back({18, "Finalizing Packages (this could take a min or so)..."});
    expected.push_back({18, "Patching..."});
    // Long work pumps again between blocks with the same step, so that a Cancel is seen.
    std::vector<FakeProgress::Step> steps;
    for (const auto& step : progress.steps)
        if (steps.empty() || steps.back().text != step.text ||
            steps.back().position != step.position)
            steps.push_back(step);
    EXPECT_GT(progress.steps.size(), steps.size());
    ASSERT_EQ(steps.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(steps[i].position, expected[i].position) << i;
        EXPECT_EQ(steps[i].text, expected[i].text) << i;
    }
    EXPECT_EQ(progress.title, "Patching..Please Wait...");
    EXPECT_EQ(std::make_tuple(progress.lower, progress.upper, progress.step),
              std::make_tuple(0, 19, 1));
    EXPECT_EQ(progress.events, (Messages{"open", "hide", "close"}));
}

TEST_F(PatchTest, CompressedPackAppliesLikeAStoredOne) {
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries())));
    auto storedTree = TreeSnapshot(game);
    ASSERT_TRUE(PrepareWorkFolder(base, prompts));
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries(), true)));
    EXPECT_EQ(prompts.messages, Messages(2, "Patching Is Done!"));
    auto compressedTree = TreeSnapshot(game);
    for (auto* tree : {&storedTree, &compressedTree}) // each names its own pack file
        ASSERT_EQ(tree->erase("custom_music/palisor.installed"), 1u);
    EXPECT_EQ(compressedTree, storedTree);
}

TEST_F(PatchTest, ApplyingTwiceGivesTheSameDefaultCon) {
    const std::string pack = WritePack(RegularPackEntries());
    ASSERT_TRUE(Apply(pack));
    const std::string first = ReadFileBytes(GameDefaultCon(game));
    ASSERT_TRUE(Apply(pack));
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(game)), first);
    EXPECT_EQ(first.size(), kGameDefaultCon.size() + 43);
}

TEST_F(PatchTest, NoBackupsRefusesWithoutOpeningProgress) {
    ASSERT_TRUE(RemoveFile(BackedUpMusicRfa(game)));
    EXPECT_FALSE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(prompts.messages, Messages{"Back up your originals first."});
    EXPECT_FALSE(progress.opened);
    EXPECT_TRUE(progress.events.empty());
}

// Pack names hold no C0 controls on any system; DEL and the C1 CSI are terminal controls they
// may hold.
const std::string kControlName = "\x7f\xc2\x9b"
                                 "2J";
const std::string kControlNameShown = "\\x7F\\xC2\\x9B2J";

struct BadPackCase {
    std::string label;
    std::function<void(std::vector<PackEntry>&)> change;
    Messages messages;
};

void PrintTo(const BadPackCase& badCase, std::ostream* out) {
    *out << badCase.label;
}

class BadPackTest : public PatchTest, public ::testing::WithParamInterface<BadPackCase> {};

TEST_P(BadPackTest, ShowsBothMessagesAndLeavesTheGameUntouched) {
    auto entries = RegularPackEntries();
    GetParam().change(entries);
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Apply(WritePack(entries)));
    EXPECT_EQ(prompts.messages, GetParam().messages);
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_EQ(progress.events, (Messages{"open", "close"}));
    EXPECT_TRUE(std::filesystem::is_empty(Work()));
}

void Drop(std::vector<PackEntry>& entries, const std::string& name) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const PackEntry& e) { return e.name == name; }),
                  entries.end());
}

INSTANTIATE_TEST_SUITE_P(
    Packs, BadPackTest,
    ::testing::Values(BadPackCase{"NoMusic16",
                                  [](auto& e) { Drop(e, "velk/music16.ogg"); },
                                  {"music16.ogg is missing.", "Error Unpacking VELK File."}},
                      BadPackCase{"NoMusic03",
                                  [](auto& e) { Drop(e, "velk/music03.ogg"); },
                                  {"music03.ogg is missing.", "Error Unpacking VELK File."}},
                      BadPackCase{"NotUnderVelk",
                                  [](auto& e) {
                                      for (auto& entry : e)
                                          entry.name = "pack/" + entry.name.substr(5);
                                  },
                                  {"Not a valid velk file.", "Error Unpacking VELK File."}},
                      BadPackCase{"NoPlaylist",
                                  [](auto& e) { Drop(e, "velk/playlists.con"); },
                                  {"Not a valid velk file.", "Error Unpacking VELK File."}},
                      BadPackCase{"NoSsc",
                                  [](auto& e) { Drop(e, "velk/US.ssc"); },
                                  {"Not a valid velk file.", "Error Unpacking VELK File."}},
                      BadPackCase{"EscapingName",
                                  [](auto& e) {
                                      e.insert(e.begin(), PackEntry{"../../escape.txt", "x"});
                                  },
                                  {"Error Unpacking VELK File."}},
                      BadPackCase{"SongNotVorbis",
                                  [](auto& e) { e[6].data = "not an ogg stream"; },
                                  {"music05.ogg is refused: it is not Ogg Vorbis.",
                                   "Error Unpacking VELK File."}},
                      BadPackCase{"SoundScriptOneByteOff",
                                  [](auto& e) { e[1].data[100] ^= 1; },
                                  {"US.ssc is refused: it is not the sound script Korvane "
                                   "writes.",
                                   "Error Unpacking VELK File."}},
                      BadPackCase{"PlaylistWithAnExtraConsoleLine",
                                  [](auto& e) { e[0].data += "run ../../evil.con\r\n"; },
                                  {"playlists.con is refused: line 29 is not what Korvane "
                                   "writes.",
                                   "Error Unpacking VELK File."}},
                      BadPackCase{"ExtraEntries",
                                  [](auto& e) {
                                      e.push_back({"velk/readme.txt", "hello"});
                                      e.push_back({"velk/extra/" + kControlName + ".bin", "abc"});
                                  },
                                  {"The pack holds entries Korvane never writes: velk/extra/" +
                                       kControlNameShown + ".bin, velk/readme.txt.",
                                   "Error Unpacking VELK File."}}),
    [](const auto& testInfo) { return testInfo.param.label; });

TEST_F(PatchTest, TruncatedPackFailsToUnpack) {
    std::string bytes = FlatArchiveBytes(RegularPackEntries());
    const std::string path = temp.file("short.velk");
    WriteFileBytes(path, bytes.substr(0, bytes.size() - 30));
    EXPECT_FALSE(Apply(path));
    EXPECT_EQ(prompts.messages, Messages{"Error Unpacking VELK File."});
    EXPECT_FALSE(Apply(temp.file("missing.velk")));
    EXPECT_FALSE(std::filesystem::exists(temp.file("escape.txt")));
}

// Headers that pass but audio that does not decode: the strict decode refuses the pack.
TEST_F(PatchTest, SongDamagedMidStreamNeverReachesTheGame) {
    auto entries = RegularPackEntries();
    ASSERT_TRUE(WriteOggTone(temp.file("long.ogg"), 1, 22050, 4 * 22050));
    std::string& song = entries[6].data;
    song = ReadFileBytes(temp.file("long.ogg"));
    song[song.rfind("OggS", song.rfind("OggS") - 1) + 200] ^= 0x55;
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Apply(WritePack(entries)));
    EXPECT_EQ(prompts.messages, Messages{"Error Decoding Oggs."});
    EXPECT_EQ(TreeSnapshot(game), before);
}

TEST_F(PatchTest, ExtraFilesUnderVelkNeverReachTheGameArchive) {
    auto entries = RegularPackEntries();
    entries.push_back({"velk/readme.txt", "hello"});
    entries.push_back({"velk/extra/jingle.bin", "abc"});
    EXPECT_FALSE(Apply(WritePack(entries)));
    EXPECT_EQ(prompts.messages.front(), "The pack holds entries Korvane never writes: "
                                        "velk/extra/jingle.bin, velk/readme.txt.");
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
}

class LeftoverTest : public PatchTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(LeftoverTest, LeftoverBlocksPreparingUntilTheWorkFolderIsPreparedAgain) {
    const std::string leftover = JoinPath(Work(), GetParam());
    if (GetParam() == "US")
        ASSERT_TRUE(CreateFolder(leftover));
    else
        WriteFileBytes(leftover, "from a failed run");
    auto before = TreeSnapshot(game);
    const std::string pack = WritePack(RegularPackEntries());
    EXPECT_FALSE(Apply(pack));
    EXPECT_EQ(prompts.messages, Messages{"Renaming And Preparing."});
    EXPECT_EQ(TreeSnapshot(game), before);
    ASSERT_TRUE(PrepareWorkFolder(base, prompts));
    EXPECT_TRUE(Apply(pack));
}

INSTANTIATE_TEST_SUITE_P(Leftovers, LeftoverTest,
                         ::testing::Values("US", "playlists.con", "US.ssc"),
                         [](const auto& testInfo) {
                             std::string name = testInfo.param;
                             name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
                             return name;
                         });

TEST_F(PatchTest, RefusedInstallChangesNothingAndLeavesWorkFilesTheNextRunMeets) {
    ASSERT_TRUE(CreateFolder(InstalledUsSsc(game))); // a folder is never replaced
    auto before = TreeSnapshot(game);
    const std::string pack = WritePack(RegularPackEntries());
    EXPECT_FALSE(Apply(pack));
    EXPECT_EQ(prompts.messages,
              Messages{"Unable to move file - patch failed: " + InstalledUsSsc(game) +
                       " is a link, a folder or another special file, which Palisor never "
                       "replaces. Move it away, then apply again."});
    EXPECT_EQ(TreeSnapshot(game), before);
    std::filesystem::remove(InstalledUsSsc(game));
    EXPECT_FALSE(Apply(pack));
    EXPECT_EQ(prompts.messages.back(), "Renaming And Preparing.");
}

TEST_F(PatchTest, CancelAfterVerificationStopsBeforeDecoding) {
    cancelWhen = [](const auto& steps) { return steps.back().text == "Verifying music16.ogg"; };
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(prompts.messages, Messages{"Error Unpacking VELK File."});
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(std::filesystem::is_empty(Work()));
}

TEST_F(PatchTest, CancelDuringVerificationIsSeenOnlyAfterAllSixteen) {
    cancelWhen = [](const auto& steps) { return steps.back().text == "Verifying ssc"; };
    EXPECT_FALSE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(progress.steps.back().text, "Verifying music16.ogg");
}

TEST_F(PatchTest, CancelAfterADecodedSongStopsThere) {
    jobs = 1; // the cancel is seen between two songs
    cancelWhen = [](const auto& steps) { return steps.back().text == "Decoding music03.ogg"; };
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(prompts.messages, Messages{"Error Decoding Oggs."});
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_EQ(progress.steps.back().text, "Decoding music03.ogg");
    EXPECT_TRUE(std::filesystem::is_empty(Work()));
}

TEST_F(PatchTest, CancelDuringTheLaterStepsHasNoEffect) {
    cancelWhen = [](const auto& steps) { return steps.back().text == "Preparing velk Folder"; };
    EXPECT_TRUE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(prompts.messages, Messages{"Patching Is Done!"});
}

TEST_F(PatchTest, ProgressThatCannotOpenCountsAsCancelled) {
    FakeProgress closed;
    closed.openFails = true;
    EXPECT_FALSE(ApplyPatch(game, WritePack(RegularPackEntries()), base, prompts, closed));
    EXPECT_EQ(prompts.messages, Messages{"Error Unpacking VELK File."});
    EXPECT_EQ(closed.closeCount, 1);
}

TEST_F(PatchTest, JobWithoutReporterKeepsItsCancelledFlag) {
    WriteFileBytes(temp.file("p.velk"), FlatArchiveBytes(RegularPackEntries()));
    PatchJob job(prompts);
    job.packPath = temp.file("p.velk");
    job.workFolder = Work();
    EXPECT_TRUE(job.UnpackAndVerify());
    EXPECT_EQ(job.position, 1);
    job.cancelled = true;
    EXPECT_FALSE(job.DecodeSongs());
    EXPECT_EQ(job.position, 1);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(PatchTest, PatchedDefaultConAppendsTheRunLineToTheBackup) {
    WriteFileBytes(BackedUpDefaultCon(game), "no final line end");
    WriteFileBytes(JoinPath(Work(), "Default.con"), "stale work copy that is longer");
    ASSERT_TRUE(BuildPatchedDefaultCon(game, Work(), prompts));
    EXPECT_EQ(ReadFileBytes(JoinPath(Work(), "Default.con")), "no final line end" + kRunLine);
    EXPECT_EQ(kRunLine.size(), 43u);
}

TEST_F(PatchTest, PatchedDefaultConNeedsTheBackup) {
    ASSERT_TRUE(RemoveFile(BackedUpDefaultCon(game)));
    EXPECT_FALSE(BuildPatchedDefaultCon(game, Work(), prompts));
    EXPECT_EQ(prompts.messages, Messages{"Unable to create patched Default.con"});
}

TEST_F(PatchTest, CheckPatchFileTellsMissingFromEmpty) {
    WriteFileBytes(temp.file("empty"), "");
    WriteFileBytes(temp.file("full"), "x");
    EXPECT_FALSE(CheckPatchFile(temp.file("absent"), prompts));
    EXPECT_FALSE(CheckPatchFile(temp.file("empty"), prompts));
    EXPECT_TRUE(CheckPatchFile(temp.file("full"), prompts));
    EXPECT_EQ(prompts.messages, (Messages{"File is missing - unable to patch.",
                                          "File is corrupt - unable to patch."}));
}

TEST_F(PatchTest, InstallChecksAllFilesBeforeCopyingAny) {
    for (const char* name : {"music.rfa", "Default.con", "playlists.con"})
        WriteFileBytes(JoinPath(Work(), name), "new");
    WriteFileBytes(JoinPath(Work(), "US.ssc"), "");
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(InstallPatchedFiles(game, Work(), prompts));
    EXPECT_EQ(prompts.messages, Messages{"File is corrupt - unable to patch."});
    EXPECT_EQ(TreeSnapshot(game), before);
}

TEST_F(PatchTest, RefusedDestinationInstallsNoneOfTheFiles) {
    for (const char* name : {"music.rfa", "Default.con", "playlists.con", "US.ssc"})
        WriteFileBytes(JoinPath(Work(), name), std::string("new ") + name);
    ASSERT_TRUE(RemoveFile(GameMusicRfa(game)));
    ASSERT_TRUE(CreateFolder(GameMusicRfa(game)));
    auto before = TreeSnapshot(game);
    EXPECT_FALSE(InstallPatchedFiles(game, Work(), prompts));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(FileExists(JoinPath(Work(), "Default.con")));
    EXPECT_TRUE(FileExists(JoinPath(Work(), "music.rfa")));
}

TEST_F(PatchTest, PrepareWorkFolderEmptiesOrReportsTheFolder) {
    WriteFileBytes(JoinPath(Work(), "stale"), "x");
    ASSERT_TRUE(PrepareWorkFolder(base, prompts));
    EXPECT_TRUE(std::filesystem::is_empty(Work()));
    const std::string missingBase = temp.file("no/such/base");
    EXPECT_FALSE(PrepareWorkFolder(missingBase, prompts));
    EXPECT_EQ(prompts.messages,
              Messages{"Error while trying to create folder: " + WorkFolderIn(missingBase)});
}

TEST_F(PatchTest, GameWithDifferentlyCasedFoldersIsPatchedInPlace) {
    // Through a third name: a system that ignores case may take a change of case for no change.
    const auto recase = [](const std::string& from, const std::string& to) {
        std::filesystem::rename(from, from + ".recase");
        std::filesystem::rename(from + ".recase", to);
    };
    recase(game + "/Mods/BfVietnam/Archives", game + "/Mods/BfVietnam/ARCHIVES");
    recase(game + "/Mods", game + "/mods");
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(ReadFileBytes(game + "/mods/BfVietnam/settings/Default.con"),
              kGameDefaultCon + kRunLine);
    std::vector<std::string> names; // no second Mods folder beside mods
    for (const FolderEntry& entry : ListFolder(game))
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"custom_music", "mods"}));
    EXPECT_TRUE(FileExists(game + "/mods/BfVietnam/ARCHIVES/music.rfa"));
}

TEST_F(PatchTest, ParallelApplyInstallsTheSameMusicRfaAsASerialOne) {
    const std::string pack = WritePack(RegularPackEntries());
    jobs = 1;
    ASSERT_TRUE(Apply(pack));
    const std::string serial = ReadFileBytes(GameMusicRfa(game));
    jobs = 4;
    ASSERT_TRUE(Apply(pack));
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(game)), serial);
    const auto& steps = progress.steps;
    const auto decoding = [](const FakeProgress::Step& step) {
        return step.text.starts_with("Decoding ");
    };
    const auto first = std::find_if(steps.begin(), steps.end(), decoding);
    const auto last = std::find_if(steps.rbegin(), steps.rend(), decoding);
    ASSERT_NE(first, steps.end());
    EXPECT_EQ(first->position, 1);
    EXPECT_EQ(last->position, 16);
    EXPECT_EQ(last->text, "Decoding music16.ogg");
    for (auto step = first + 1; step != last.base(); ++step)
        EXPECT_GE(step->position, (step - 1)->position);
}

// The archive packed while the songs decode is used only when the song folder holds the
// sixteen songs alone; otherwise the folder is packed as it is.
TEST_F(PatchTest, GameArchiveIsPackedFromTheFolderWhenItHoldsMoreThanTheSongs) {
    for (int threads : {1, 2}) {
        ASSERT_TRUE(PrepareWorkFolder(base, prompts));
        PatchJob job(prompts);
        job.packPath = WritePack(RegularPackEntries());
        job.workFolder = Work();
        job.jobs = threads;
        ASSERT_TRUE(job.UnpackAndVerify() && job.DecodeSongs() && job.PrepareUsFolder());
        WriteFileBytes(JoinPath(UsFolder(Work()), "extra.txt"), "extra");
        ASSERT_TRUE(job.PackGameArchive());
        std::vector<PackEntry> entries;
        ASSERT_TRUE(ReadStoredArchive(ReadFileBytes(JoinPath(Work(), "music.rfa")), entries));
        ASSERT_EQ(entries.size(), 17u);
        EXPECT_EQ(entries.front().name, "music/US/extra.txt");
        EXPECT_EQ(entries.back().data, DecodedSongs().back());
    }
}

TEST_F(PatchTest, ParallelDecodeFailureLeavesWhatASerialOneLeaves) {
    // Songs 5 and 11 are damaged; the songs before 5 end decoded, the rest as they came.
    std::map<std::string, std::string> serialLeft;
    for (int threads : {1, 16}) {
        SCOPED_TRACE(threads);
        ASSERT_TRUE(PrepareWorkFolder(base, prompts));
        const std::string packFolder = PackFolder(Work());
        ASSERT_TRUE(CreateFolder(packFolder));
        for (int n = 1; n <= 16; ++n)
            WriteFileBytes(JoinPath(packFolder, SongName(n, "ogg")),
                           n == 5 || n == 11 ? "not an ogg stream" : SongOggs()[n - 1]);
        PatchJob job(prompts);
        job.workFolder = Work();
        job.jobs = threads;
        job.position = 1;
        EXPECT_FALSE(job.DecodeSongs());
        EXPECT_FALSE(FileExists(JoinPath(Work(), "music.rfa"))); // packed while decoding
        if (threads == 1)
            serialLeft = TreeSnapshot(packFolder);
        EXPECT_EQ(TreeSnapshot(packFolder), serialLeft);
    }
    EXPECT_EQ(serialLeft.count("music04.wav"), 1u);
    EXPECT_EQ(serialLeft.count("music04.ogg"), 0u);
    EXPECT_EQ(serialLeft.count("music05.ogg"), 1u);
    EXPECT_EQ(serialLeft.count("music06.wav"), 0u);
    EXPECT_EQ(serialLeft.count("music16.ogg"), 1u);
}

} // namespace

// The record of the installed pack is read like any outside file: only its exact layout, a
// plain name, and a music.rfa of the recorded size name the pack.
TEST_F(PatchTest, InstalledPackRecordNamesThePackOnlyWhileItHolds) {
    ASSERT_TRUE(Apply(WritePack(RegularPackEntries())));
    EXPECT_EQ(GameFolderState::Read(game).Line(),
              "Backups made and checked. Pack installed: pack1.velk.");
    const std::string record = CustomMusicFolder(game) + "/palisor.installed";
    const std::string size = std::to_string(*FileLength(GameMusicRfa(game)));
    const std::string good = "Palisor installed pack 1\nname pack1.velk\nmusic.rfa " + size + "\n";
    EXPECT_EQ(ReadFileBytes(record), good);
    const std::vector<std::string> refused = {
        "",
        "Palisor installed pack 2\nname pack1.velk\nmusic.rfa " + size + "\n",
        "Palisor installed pack 1\nname pack1.velk\nmusic.rfa " + size, // no last line end
        "Palisor installed pack 1\nname pack1.velk\nmusic.rfa " + size + "\nmore\n",
        "Palisor installed pack 1\nname \nmusic.rfa " + size + "\n",
        "Palisor installed pack 1\nname a\tb.velk\nmusic.rfa " + size + "\n",
        "Palisor installed pack 1\nname " + std::string(256, 'n') + "\nmusic.rfa " + size + "\n",
        "Palisor installed pack 1\nname pack1.velk\nmusic.rfa 1" + size + "\n",
        "Palisor installed pack 1\nname pack1.velk\nmusic.rfa -" + size + "\n",
        "Palisor installed pack 1\nname pack1.velk\nmusic.rfa 99999999999999999999\n",
    };
    for (const auto& bytes : refused) {
        WriteFileBytes(record, bytes);
        EXPECT_EQ(InstalledPackRecord::Read(game), std::nullopt) << bytes;
    }
    ASSERT_TRUE(RemoveFile(record));
    if (!MakeSymbolicLink(temp.file("elsewhere"), record))
        GTEST_SKIP() << "this system makes no links (Wine 8 has no reparse points)";
    WriteFileBytes(temp.file("elsewhere"), good);
    EXPECT_EQ(InstalledPackRecord::Read(game), std::nullopt); // never through a link
    EXPECT_EQ(GameFolderState::Read(game).Line(),
              "Backups made and checked. Pack installed: unknown pack.");
}
