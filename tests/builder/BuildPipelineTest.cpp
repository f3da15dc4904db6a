#include "builder/BuildPipeline.h"
#include "archive/UnpackArchive.h"
#include "audio/OggDecoder.h"
#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "common/FileOps.h"
#include "common/FolderLock.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <tuple>

namespace {

constexpr int kRate = 8000;

// Each song has its own frame count, so a decoded track tells which source it came from.
int FramesOfSong(int song) {
    return 1000 + 40 * song;
}

std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            names.insert(std::filesystem::relative(entry.path(), folder).string());
    }
    return names;
}

std::set<std::string> Tracks(int first, int last, const char* extension) {
    std::set<std::string> names;
    for (int number = first; number <= last; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "music%.2d%s", number, extension);
        names.insert(name);
    }
    return names;
}

std::set<std::string> Joined(std::set<std::string> names, const std::set<std::string>& more) {
    names.insert(more.begin(), more.end());
    return names;
}

class BuildPipelineTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateFolder(sources.file("songs")));
        for (int position = 1; position <= 16; ++position) {
            SongSlot& slot = project.SlotAt(position);
            slot.SetPath(WriteSong(position));
            slot.SetTitle("Song " + std::to_string(position));
            ASSERT_TRUE(slot.valid());
        }
        destination = sources.file("pack.velk");
    }

    std::string WriteSong(int song) {
        const std::string path = sources.file("songs/song" + std::to_string(song) + ".wav");
        WriteFileBytes(
            path, MakeWav(1, kRate, 16,
                          Pcm16Bytes(ToneSamples(1, kRate, FramesOfSong(song), 100.0 * song))));
        return path;
    }

    bool Build() {
        prompts.answers.push_back(destination);
        BuildPipeline pipeline(prompts, progress, base.path());
        return pipeline.BuildMusicPack(project);
    }

    std::string WorkFolder() const { return base.file("velk_work"); }

    // Frames of a decoded track of the unpacked pack (the 44-byte header's data size / 2).
    std::uint32_t DecodedFrames(const std::string& unpacked, int number) {
        char name[32];
        std::snprintf(name, sizeof name, "velk/music%.2d", number);
        OggDecoder decoder;
        EXPECT_TRUE(decoder.decodeToWav(unpacked + "/" + name + ".ogg"));
        const std::string wav = ReadFileBytes(unpacked + "/" + name + ".wav");
        EXPECT_GE(wav.size(), 44u);
        return static_cast<std::uint32_t>((wav.size() - 44) / 2);
    }

    TempFolder base;
    TempFolder sources;
    SongProject project;
    FakePrompts prompts;
    FakeProgress progress;
    std::string destination;
};

TEST_F(BuildPipelineTest, CompleteBuildPacksScriptsAndSongsInListOrder) {
    ASSERT_TRUE(project.MoveUp(project.SlotAt(5))); // song 5 now plays fourth
    ASSERT_TRUE(Build());

    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Done!"});
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].kind, "save");
    EXPECT_EQ(prompts.dialogs[0].options.filter, "VELK Files (*.velk)|*.velk||");
    EXPECT_EQ(prompts.dialogs[0].options.defaultExtension, "velk");
    EXPECT_EQ(prompts.dialogs[0].options.initialFileName, "myvelk.velk");
    EXPECT_EQ(progress.title, "Building...Please Wait...");
    EXPECT_EQ(progress.events, (std::vector<std::string>{"open", "hide", "close"}));
    EXPECT_FALSE(FolderExists(WorkFolder()));
    EXPECT_FALSE(FileExists(base.file("release.velk")));

    TempFolder unpacked;
    ASSERT_TRUE(UnpackArchive(destination, unpacked.path()));
    std::set<std::string> expected{"velk/playlists.con", "velk/US.ssc"};
    for (const auto& track : Tracks(1, 16, ".ogg"))
        expected.insert("velk/" + track);
    EXPECT_EQ(FilesBelow(unpacked.path()), expected);
    EXPECT_EQ(ReadFileBytes(unpacked.file("velk/playlists.con")), PlaylistScriptText(project));
    EXPECT_EQ(ReadFileBytes(unpacked.file("velk/US.ssc")), std::string(SoundScriptText()));
    const int songOfTrack[16] = {1, 2, 3, 5, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (int number = 1; number <= 16; ++number)
        EXPECT_EQ(DecodedFrames(unpacked.path(), number),
                  static_cast<std::uint32_t>(FramesOfSong(songOfTrack[number - 1])))
            << "track " << number;
}

TEST_F(BuildPipelineTest, StepsPercentagesAndTexts) {
    ASSERT_TRUE(Build());
    EXPECT_EQ(progress.lower, 0);
    EXPECT_EQ(progress.upper, 36);
    ASSERT_EQ(progress.steps.size(), 35u);
    EXPECT_EQ(progress.steps[0].text, "Creating Playlist");
    EXPECT_EQ(progress.steps[1].text, "Creating ssc");
    EXPECT_EQ(progress.steps[2].text, "Creating music01.wav");
    EXPECT_EQ(progress.steps[33].text, "Encoding music16.wav");
    EXPECT_EQ(progress.steps[34].text, "Packaging...");
    for (int index = 0; index < 35; ++index)
        EXPECT_EQ(progress.steps[static_cast<std::size_t>(index)].position, index + 1);
    EXPECT_EQ(progress.percents[0], 3);
    EXPECT_EQ(progress.percents[2], 8);
    EXPECT_EQ(progress.percents[3], 11);
    EXPECT_EQ(progress.percents[33], 94);
    EXPECT_EQ(progress.percents[34], 97);
    for (int percent : progress.percents)
        EXPECT_LT(percent, 100);
}

struct CancelCase {
    const char* name;
    int cancelAtPosition; // the pump at which the cancel is seen
    std::set<std::string> left;
};

class BuildCancelTest : public BuildPipelineTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(BuildCancelTest, StopsWithoutMessageAndLeavesWorkFolder) {
    progress.cancelWhen = [](const std::vector<FakeProgress::Step>& steps) {
        return steps.back().position >= GetParam().cancelAtPosition;
    };
    EXPECT_FALSE(Build());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(progress.closeCount, 1);
    EXPECT_EQ(progress.steps.back().position, GetParam().cancelAtPosition);
    EXPECT_FALSE(FileExists(destination));
    EXPECT_FALSE(FileExists(base.file("release.velk")));
    EXPECT_EQ(FilesBelow(WorkFolder()), GetParam().left);
}

const std::set<std::string> kScripts{"playlists.con", "US.ssc"};

INSTANTIATE_TEST_SUITE_P(
    Steps, BuildCancelTest,
    testing::Values(
        // Clicked during the playlist step: seen at the first song step.
        CancelCase{"duringScripts", 3, kScripts},
        // Seen at "Encoding music05.wav": the work copy stays.
        CancelCase{"atEncodingOfTrack5", 12,
                   Joined(Joined(kScripts, Tracks(1, 4, ".ogg")), {"music05.wav"})},
        // Clicked while track 5 encodes: seen at "Creating music06.wav".
        CancelCase{"duringEncodingOfTrack5", 13, Joined(kScripts, Tracks(1, 5, ".ogg"))}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(BuildPipelineTest, CancelDuringPackagingStillDelivers) {
    progress.cancelWhen = [](const std::vector<FakeProgress::Step>& steps) {
        return steps.back().position == 35;
    };
    EXPECT_TRUE(Build());
    EXPECT_TRUE(progress.cancelled);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Done!"});
    EXPECT_TRUE(FileExists(destination));
}

TEST_F(BuildPipelineTest, CancelledSaveDialogTouchesNothing) {
    ASSERT_TRUE(CreateFolder(WorkFolder()));
    WriteFileBytes(base.file("velk_work/old.txt"), "old");
    BuildPipeline pipeline(prompts, progress, base.path());
    EXPECT_FALSE(pipeline.BuildMusicPack(project));
    EXPECT_TRUE(FileExists(base.file("velk_work/old.txt")));
    EXPECT_FALSE(progress.opened);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(BuildPipelineTest, StaleWorkFolderIsEmptiedFirst) {
    ASSERT_TRUE(CreateFolder(WorkFolder()));
    WriteFileBytes(base.file("velk_work/stale.ogg"), "stale");
    progress.cancelWhen = [](const std::vector<FakeProgress::Step>& steps) {
        return steps.back().position == 3;
    };
    Build();
    EXPECT_EQ(FilesBelow(WorkFolder()), kScripts);
}

TEST_F(BuildPipelineTest, WorkFolderThatCannotBeCreated) {
    BuildPipeline pipeline(prompts, progress, base.file("missing/parent"));
    prompts.answers.push_back(destination);
    EXPECT_FALSE(pipeline.BuildMusicPack(project));
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Unable to create/empty work folder"});
    EXPECT_FALSE(progress.opened);
}

TEST_F(BuildPipelineTest, DestinationInsideWorkFolderKeepsReleaseFile) {
    destination = base.file("velk_work/pack.velk");
    EXPECT_FALSE(Build());
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Unable to move released file"});
    EXPECT_TRUE(FileExists(base.file("release.velk")));
    EXPECT_FALSE(FolderExists(WorkFolder()));
}

TEST_F(BuildPipelineTest, UnsafeDestinationsAreRefusedBeforeAnythingIsTouched) {
    const std::string outside = sources.file("outside.velk");
    WriteFileBytes(outside, "someone else's file");
    const std::string special = "Unable to write the music pack to %: it is a folder, a link, a "
                                "device or another special file. Choose a regular file name.";
    const std::string ownFile = "Unable to write the music pack to %: it is one of the "
                                "project's own files. Choose another file name.";
    const std::vector<std::tuple<std::string, std::function<std::string()>, std::string>> cases = {
        {"pipe",
         [&] {
             const std::string pipe = sources.file("pipe.velk");
             EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
             return pipe;
         },
         special},
        {"folder", [&] { return sources.file("songs"); }, special},
        {"link",
         [&] {
             const std::string link = sources.file("link.velk");
             std::filesystem::create_symlink(outside, link);
             return link;
         },
         special},
        {"song", [&] { return project.SlotAt(7).path(); }, ownFile},
        {"project",
         [&] {
             project.SetPath(sources.file("songs.velkp"));
             WriteFileBytes(project.path(), "project bytes");
             return sources.file("songs/../songs.velkp");
         },
         ownFile},
    };
    for (const auto& [label, make, message] : cases) {
        SCOPED_TRACE(label);
        destination = make();
        const auto kind = std::filesystem::symlink_status(destination).type();
        const std::string bytes = FileExists(destination) ? ReadFileBytes(destination) : "";
        prompts.messages.clear();
        EXPECT_FALSE(Build());
        std::string expected = message;
        expected.replace(expected.find('%'), 1, destination);
        EXPECT_EQ(prompts.messages, std::vector<std::string>{expected});
        EXPECT_EQ(std::filesystem::symlink_status(destination).type(), kind);
        if (!bytes.empty()) {
            EXPECT_EQ(ReadFileBytes(destination), bytes);
        }
        EXPECT_EQ(ReadFileBytes(outside), "someone else's file");
        EXPECT_FALSE(FolderExists(WorkFolder()));
        EXPECT_TRUE(progress.events.empty());
    }
}

TEST_F(BuildPipelineTest, ASecondKorvaneOnTheWorkFolderIsRefused) {
    FolderLock other;
    ASSERT_EQ(other.LockFile(WorkFolder() + ".lock"), FolderLock::Result::Taken);
    ASSERT_TRUE(CreateFolder(WorkFolder()));
    WriteFileBytes(WorkFolder() + "/music01.ogg", "the other build's track");
    EXPECT_FALSE(Build());
    EXPECT_EQ(prompts.messages,
              std::vector<std::string>{"Another Korvane is working with the work folder " +
                                       WorkFolder() +
                                       ". Wait until it has finished, then try again."});
    EXPECT_EQ(ReadFileBytes(WorkFolder() + "/music01.ogg"), "the other build's track");
    other.Unlock();
    EXPECT_TRUE(Build());
}

TEST_F(BuildPipelineTest, DestinationOnTheReleaseFileKeepsThePack) {
    destination = base.file("release.velk");
    EXPECT_TRUE(Build());
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Done!"});
    auto length = FileLength(destination);
    ASSERT_TRUE(length.has_value());
    EXPECT_GT(*length, 1000u);
}

TEST_F(BuildPipelineTest, StaleReleaseFileIsReplaced) {
    WriteFileBytes(base.file("release.velk"), "an old pack");
    EXPECT_TRUE(Build());
    EXPECT_NE(ReadFileBytes(destination), "an old pack");
}

TEST_F(BuildPipelineTest, TwoSlotsWithTheSameSource) {
    project.SlotAt(9).SetPath(project.SlotAt(2).path());
    ASSERT_TRUE(Build());
    TempFolder unpacked;
    ASSERT_TRUE(UnpackArchive(destination, unpacked.path()));
    EXPECT_EQ(DecodedFrames(unpacked.path(), 9), static_cast<std::uint32_t>(FramesOfSong(2)));
    EXPECT_EQ(DecodedFrames(unpacked.path(), 2), static_cast<std::uint32_t>(FramesOfSong(2)));
}

TEST_F(BuildPipelineTest, UnreadableSourceStopsWithItsPath) {
    const std::string gone = project.SlotAt(3).path();
    ASSERT_EQ(::remove(gone.c_str()), 0);
    EXPECT_FALSE(Build());
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Unable to copy file: " + gone});
    EXPECT_EQ(FilesBelow(WorkFolder()), Joined(kScripts, Tracks(1, 2, ".ogg")));
    EXPECT_EQ(progress.closeCount, 1);
}

TEST_F(BuildPipelineTest, EncoderRefusalNamesTheTrack) {
    WriteFileBytes(project.SlotAt(1).path(), "no audio here"); // replaced after the check
    EXPECT_FALSE(Build());
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"music01.ogg could not be encoded."});
    EXPECT_TRUE(FileExists(base.file("velk_work/music01.wav")));
    EXPECT_FALSE(FileExists(destination));
}

} // namespace
