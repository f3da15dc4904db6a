#include "builder/ImportSongs.h"
#include "builder/ProjectPaths.h"
#include "builder/SongProject.h"
#include "platform/FaultInjection.h"
#include "platform/NativePath.h"
#include "tests/support/AudioFileFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

namespace {

int FilesIn(const std::string& folder) {
    std::error_code error;
    int count = 0;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); ++it)
        ++count;
    return count;
}

class ImportSongsTest : public testing::Test {
protected:
    ImportSongsTest() {
        project.SetPath(folder.file("my.velkp"));
        mine = folder.file("mine.wav");
        WriteFileBytes(mine, MakeWav(1, 44100, 16, Pcm16Bytes(ToneSamples(1, 44100, 44100, 440))));
        project.SlotAt(1).SetTitle("Mine");
        project.SlotAt(1).SetPath(mine);
        project.SlotAt(3).SetTitle("Placeholder");
    }

    // Short tagged FLAC songs "Bänd - Song N", with a text file at position `bad`.
    std::vector<std::string> Sources(int count, int bad) {
        std::vector<std::string> files;
        for (int index = 1; index <= count; ++index) {
            files.push_back(folder.file("in " + std::to_string(index) + ".flac"));
            if (index == bad)
                WriteFileBytes(files.back(), "not a song");
            else
                EXPECT_TRUE(WriteAudioFile(files.back(),
                                           AudioFileSpec(AudioFormat::Flac16(), 48000, 2, 0.3)
                                               .Tags("Bänd", "Song " + std::to_string(index))));
        }
        return files;
    }

    TempFolder folder;
    SongProject project;
    std::string mine;
    FakePrompts prompts;
    FakeProgress progress;
};

TEST_F(ImportSongsTest, FillsFirstEmptySlotsInOrderAndRefusesExtras) {
    const std::vector<std::string> files = Sources(16, 2);
    const ImportSongsOutcome outcome =
        ImportSongs(prompts, progress).Run(project, files, ImportSongsOptions{true, 2, ""});

    EXPECT_EQ(outcome.result, ImportSongsOutcome::Result::SomeRefused);
    EXPECT_EQ(outcome.added, 13);
    EXPECT_EQ(outcome.newFiles.size(), 13u);
    EXPECT_EQ(FilesIn(folder.file("my songs")), 13);
    EXPECT_EQ(project.SlotAt(1).title(), "Mine");
    EXPECT_EQ(project.SlotAt(1).path(), mine);
    EXPECT_EQ(project.SlotAt(3).title(), "Placeholder");
    EXPECT_EQ(project.SlotAt(3).path(), "");
    EXPECT_TRUE(ImportSongs::IsEmptySlot(project.SlotAt(16)));

    // Slots B, D, E, ... O take songs 1, 3, 4, ... 14; 15 and 16 find no empty slot.
    const std::vector<int> filled = {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const std::vector<int> song = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    for (std::size_t index = 0; index < filled.size(); ++index) {
        const SongSlot& slot = project.SlotAt(filled[index]);
        // Titles from tags are kept in the game's code page.
        EXPECT_EQ(slot.title(), "B\xE4nd - Song " + std::to_string(song[index]));
        EXPECT_EQ(slot.status(), "Ok");
        EXPECT_EQ(std::filesystem::path(slot.path()).parent_path(), folder.file("my songs"));
    }
    ASSERT_EQ(outcome.lines.size(), 16u);
    EXPECT_TRUE(std::regex_match(outcome.lines[0],
                                 std::regex(R"(B: Bänd - Song 1 \(0:00, gain [+-]\d+\.\d dB\))")))
        << outcome.lines[0];
    EXPECT_EQ(outcome.lines[1], "Cannot import " + files[1] + ": not an audio file.");
    EXPECT_EQ(outcome.lines[14], "No empty slot left for " + files[14] + ".");
    EXPECT_EQ(outcome.lines[15], "No empty slot left for " + files[15] + ".");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(std::count(prompts.messages[0].begin(), prompts.messages[0].end(), '\n'), 15);
    EXPECT_TRUE(progress.opened);
    EXPECT_GE(progress.closeCount, 1);
}

TEST_F(ImportSongsTest, CancelChangesNothingAndLeavesNoFile) {
    progress.cancelWhen = [](const std::vector<FakeProgress::Step>&) { return true; };
    const ImportSongsOutcome outcome =
        ImportSongs(prompts, progress).Run(project, Sources(3, 0), ImportSongsOptions{});
    EXPECT_EQ(outcome.result, ImportSongsOutcome::Result::Cancelled);
    EXPECT_EQ(outcome.added, 0);
    EXPECT_EQ(FilesIn(folder.file("my songs")), 0);
    for (int position = 1; position <= SongProject::kSlotCount; ++position)
        EXPECT_EQ(ImportSongs::IsEmptySlot(project.SlotAt(position)),
                  position != 1 && position != 3);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Import cancelled. No song was added."});
}

TEST_F(ImportSongsTest, RefusesAFolderThatIsALink) {
    TempFolder elsewhere;
    REQUIRE_LINK(MakeFolderLink(elsewhere.path(), folder.file("my songs")));
    const ImportSongsOutcome outcome =
        ImportSongs(prompts, progress).Run(project, Sources(1, 0), ImportSongsOptions{});
    EXPECT_EQ(outcome.result, ImportSongsOutcome::Result::NoFolder);
    EXPECT_EQ(FilesIn(elsewhere.path()), 0);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Cannot create the folder " +
                                                         SystemSeparators(folder.file("my songs")) +
                                                         " for the imported songs."});
}

// A full disk or a failing device at any file step: the songs that made it are whole and in
// their slots, the others are named, and no temporary file is left behind.
TEST_F(ImportSongsTest, EveryFailingFileStepLeavesOnlyWholeSongs) {
    const std::vector<std::string> files = Sources(3, 0);
    auto run = [&files](const std::string& where) {
        SongProject fresh;
        fresh.SetPath(where + "/p.velkp");
        FakePrompts quiet;
        FakeProgress silent;
        ImportSongsOutcome outcome =
            ImportSongs(quiet, silent).Run(fresh, files, ImportSongsOptions{true, 1, ""});
        std::set<std::string> inSlots;
        for (int position = 1; position <= SongProject::kSlotCount; ++position)
            if (!fresh.SlotAt(position).path().empty()) {
                EXPECT_EQ(fresh.SlotAt(position).status(), "Ok");
                inSlots.insert(fresh.SlotAt(position).path());
            }
        return std::make_pair(outcome, inSlots);
    };
    for (FileStep step : {FileStep::Create, FileStep::Write, FileStep::Rename, FileStep::Flush}) {
        TempFolder counting;
        FaultInjection::Count();
        run(counting.path());
        const int steps = FaultInjection::Taken(step);
        FaultInjection::Disarm();
        EXPECT_GT(steps, 0);
        for (int nth = 1; nth <= steps; ++nth) {
            TempFolder target;
            FaultInjection::Arm(step, nth);
            const auto [outcome, inSlots] = run(target.path());
            FaultInjection::Disarm();
            SCOPED_TRACE("step " + std::to_string(static_cast<int>(step)) + " #" +
                         std::to_string(nth));
            EXPECT_LT(outcome.added, 3);
            EXPECT_EQ(outcome.result, ImportSongsOutcome::Result::SomeRefused);
            EXPECT_EQ(outcome.lines.size(), 3u);
            std::set<std::string> left;
            std::error_code error;
            for (const auto& entry :
                 std::filesystem::directory_iterator(target.file("p songs"), error))
                left.insert(
                    SystemSeparators(target.file("p songs/" + Utf8Path(entry.path().filename()))));
            EXPECT_EQ(left, inSlots);
        }
    }
}

// Windows file names cannot hold control characters; there only the tags can carry them.
#ifdef _WIN32
constexpr const char* kEvilSongName = "evil.flac";
constexpr const char* kEvilTextName = "notes[31m.txt";
constexpr const char* kEvilTextShown = "notes[31m.txt";
#else
constexpr const char* kEvilSongName = "evil\x1b]0;x\a.flac";
constexpr const char* kEvilTextName = "notes\x1b[31m.txt";
constexpr const char* kEvilTextShown = "notes\\x1B[31m.txt";
#endif

TEST_F(ImportSongsTest, TagsAndPathsCannotDriveTheTerminal) {
    const std::string source = folder.file(kEvilSongName);
    ASSERT_TRUE(WriteAudioFile(
        source,
        AudioFileSpec(AudioFormat::Flac16(), 44100, 1, 0.3).Tags("", "Clear\x1b[2J Screen")));
    const std::string text = folder.file(kEvilTextName);
    WriteFileBytes(text, "text");
    const ImportSongsOutcome outcome =
        ImportSongs(prompts, progress).Run(project, {source, text}, ImportSongsOptions{});
    ASSERT_EQ(outcome.lines.size(), 2u);
    EXPECT_EQ(outcome.lines[0], "B: Clear\\x1B[2J Screen (0:00, gain +0.0 dB)");
    EXPECT_EQ(outcome.lines[1],
              "Cannot import " + folder.path() + "/" + kEvilTextShown + ": not an audio file.");
    EXPECT_EQ(project.SlotAt(2).title(),
              "Clear\x1b[2J Screen"); // the model keeps the title as read
}

TEST(ImportSongsTexts, FolderAndLines) {
    // In the system's own separators, as its user would type them.
    EXPECT_EQ(ImportSongs::SongFolderFor("/home/me/my.velkp", "/data"),
              SystemSeparators("/home/me/my songs"));
    EXPECT_EQ(ImportSongs::SongFolderFor("my.velkp", "/data"), SystemSeparators("./my songs"));
    EXPECT_EQ(ImportSongs::SongFolderFor("/p/Mix 2.0.velkp", "/data"),
              SystemSeparators("/p/Mix 2.0 songs"));
    EXPECT_EQ(ImportSongs::SongFolderFor("", "/data"), SystemSeparators("/data/songs"));
    EXPECT_EQ(ImportSongs::SongLine(1, "Motörhead - Ace", 205.4, -4.25, false),
              "A: Motörhead - Ace (3:25, gain -4.2 dB)");
    EXPECT_EQ(ImportSongs::SongLine(16, "Intro", 59.6, 0, true),
              "P: Intro (1:00, gain +0.0 dB, used in place)");
}

} // namespace
