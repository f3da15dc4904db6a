#include "builder/BuildPipeline.h"
#include "archive/UnpackArchive.h"
#include "audio/OggDecoder.h"
#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "platform/NativePath.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

constexpr int kRate = 8000;

// Each song has its own frame count, so a decoded track tells which source it came from.
int FramesOfSong(int song) {
    return 1000 + 40 * song;
}

int FakeProgressPercent(int position) {
    return static_cast<int>(position * 100.0 / 36 + 0.5);
}

std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(NativePath(folder))) {
        if (entry.is_regular_file()) {
            const std::u8string name =
                std::filesystem::relative(entry.path(), NativePath(folder)).generic_u8string();
            names.insert(std::string(name.begin(), name.end()));
        }
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
        if (jobs > 0)
            pipeline.SetJobs(jobs);
        if (serialSeed)
            pipeline.SetSerialSeed(*serialSeed);
        return pipeline.BuildMusicPack(project);
    }

    // The steps with the repeats of a step, made while a song is at work, taken out.
    std::vector<FakeProgress::Step> DistinctSteps() const {
        std::vector<FakeProgress::Step> distinct;
        for (const auto& step : progress.steps)
            if (distinct.empty() || distinct.back().position != step.position ||
                distinct.back().text != step.text)
                distinct.push_back(step);
        return distinct;
    }

    std::string WorkFolder() const { return JoinPath(base.path(), "velk_work"); }

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
    int jobs = 0; // 0: the pipeline's default, one per core
    std::optional<unsigned> serialSeed;
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

double Rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count) {
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(count));
}

TEST_F(BuildPipelineTest, TrimmedSongIsItsKeptPartWithItsFades) {
    // Four seconds of an even tone; kept: 0.5 s to 3.5 s, fading in over 0.5 s, out over 1 s.
    WriteFileBytes(project.SlotAt(3).path(),
                   MakeWav(1, kRate, 16, Pcm16Bytes(ToneSamples(1, kRate, 4 * kRate, 440.0))));
    project.SlotAt(3).Probe();
    project.SlotAt(3).SetTrim({0.5, 3.5, 0.5, 1.0});
    ASSERT_TRUE(Build());
    TempFolder unpacked;
    ASSERT_TRUE(UnpackArchive(destination, unpacked.path()));
    EXPECT_NE(ReadFileBytes(unpacked.file("velk/playlists.con"))
                  .find("musicmanager.registerSong 2 \"Song 3\" 3.0\r\n"),
              std::string::npos);

    ASSERT_TRUE(OggDecoder().decodeToWav(unpacked.file("velk/music03.ogg")));
    const std::string wav = ReadFileBytes(unpacked.file("velk/music03.wav"));
    ASSERT_GE(wav.size(), 44u);
    std::vector<std::int16_t> samples((wav.size() - 44) / 2);
    std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
    const long kept = 3 * kRate;
    const long longBlock = 2048; // libvorbis's long block at this rate and quality
    EXPECT_LE(std::abs(static_cast<long>(samples.size()) - kept), longBlock) << samples.size();
    ASSERT_GE(samples.size(), static_cast<std::size_t>(kept));

    // In tenths of a second: the fade in rises over the first five, the fade out falls over
    // the last ten, the rest is the tone at its full level.
    const std::size_t tenth = kRate / 10;
    const double full = Rms(samples, 10 * tenth, 10 * tenth);
    const auto level = [&](std::size_t index) { return Rms(samples, index * tenth, tenth) / full; };
    EXPECT_LT(level(0), 0.2);
    EXPECT_GT(level(2), 0.35);
    EXPECT_LT(level(2), 0.65);
    EXPECT_GT(level(6), 0.95);
    EXPECT_GT(level(19), 0.95);
    EXPECT_GT(level(21), 0.7);
    EXPECT_LT(level(21), 0.95);
    EXPECT_LT(level(29), 0.12);
    // Untrimmed songs are what they always were.
    EXPECT_EQ(DecodedFrames(unpacked.path(), 4), static_cast<std::uint32_t>(FramesOfSong(4)));
}

TEST_F(BuildPipelineTest, StepsPercentagesAndTexts) {
    jobs = 1;
    ASSERT_TRUE(Build());
    EXPECT_EQ(progress.lower, 0);
    EXPECT_EQ(progress.upper, 36);
    const auto steps = DistinctSteps();
    ASSERT_EQ(steps.size(), 35u);
    EXPECT_EQ(steps[0].text, "Creating Playlist");
    EXPECT_EQ(steps[1].text, "Creating ssc");
    EXPECT_EQ(steps[2].text, "Creating music01.wav");
    EXPECT_EQ(steps[33].text, "Encoding music16.wav");
    EXPECT_EQ(steps[34].text, "Packaging...");
    for (int index = 0; index < 35; ++index)
        EXPECT_EQ(steps[static_cast<std::size_t>(index)].position, index + 1);
    EXPECT_EQ(progress.percents.front(), 3);
    EXPECT_EQ(FakeProgressPercent(steps[2].position), 8);
    EXPECT_EQ(FakeProgressPercent(steps[3].position), 11);
    EXPECT_EQ(FakeProgressPercent(steps[33].position), 94);
    EXPECT_EQ(progress.percents.back(), 97);
    for (int percent : progress.percents)
        EXPECT_LT(percent, 100);
}

TEST_F(BuildPipelineTest, ParallelStepsKeepTheSerialPositions) {
    jobs = 4;
    ASSERT_TRUE(Build());
    const auto& steps = progress.steps;
    ASSERT_GE(steps.size(), 5u);
    EXPECT_EQ(steps[0].position, 1);
    EXPECT_EQ(steps[1].position, 2);
    EXPECT_EQ(steps[2].position, 3);
    EXPECT_EQ(steps[2].text, "Creating music01.wav");
    EXPECT_EQ(steps[steps.size() - 2].position, 34);
    EXPECT_EQ(steps[steps.size() - 2].text, "Encoding music16.wav");
    EXPECT_EQ(steps.back().position, 35);
    for (std::size_t index = 1; index < steps.size(); ++index)
        EXPECT_GE(steps[index].position, steps[index - 1].position) << index;
    for (std::size_t index = 2; index + 1 < steps.size(); ++index)
        EXPECT_TRUE(steps[index].text.starts_with("Creating music") ||
                    steps[index].text.starts_with("Encoding music"))
            << steps[index].text;
}

struct CancelCase {
    const char* name;
    int cancelAtPosition; // the pump at which the cancel is seen
    std::set<std::string> left;
};

class BuildCancelTest : public BuildPipelineTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(BuildCancelTest, StopsWithoutMessageAndLeavesWorkFolder) {
    jobs = 1; // the steps of a build one song at a time
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
    // The cause names the folder the system refused to make.
    ASSERT_EQ(prompts.details.size(), 1u);
    EXPECT_NE(prompts.details[0].find(pipeline.WorkFolder()), std::string::npos)
        << prompts.details[0];
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
        // A named pipe where the system has them, a device name on Windows (NUL would swallow
        // the pack; CON would print it).
        {"special",
         [&] {
#ifdef _WIN32
             return sources.file("NUL");
#else
             const std::string pipe = sources.file("pipe.velk");
             EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
             return pipe;
#endif
         },
         special},
        {"folder", [&] { return sources.file("songs"); }, special},
        {"link",
         [&] {
             const std::string link = sources.file("link.velk");
             if (MakeSymbolicLink(outside, link))
                 return link;
             EXPECT_FALSE(CanMakeLinks()) << "no link made";
             return std::string();
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
        if (destination.empty()) {
            RecordProperty(label + "_case", "no symbolic links on this system");
            continue;
        }
        std::error_code error;
        const auto kind = std::filesystem::symlink_status(NativePath(destination), error).type();
        const std::string bytes = FileExists(destination) ? ReadFileBytes(destination) : "";
        prompts.messages.clear();
        EXPECT_FALSE(Build());
        std::string expected = message;
        expected.replace(expected.find('%'), 1, destination);
        EXPECT_EQ(prompts.messages, std::vector<std::string>{expected});
        EXPECT_EQ(std::filesystem::symlink_status(NativePath(destination), error).type(), kind);
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
    ASSERT_EQ(prompts.details.size(), 1u);
    EXPECT_NE(prompts.details[0].find(gone), std::string::npos) << prompts.details[0];
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

namespace {

// Every Ogg packet of a file with its granule position, in stream order.
std::vector<std::pair<std::string, std::int64_t>> OggPackets(const std::string& bytes) {
    std::vector<std::pair<std::string, std::int64_t>> packets;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
    ogg_stream_state stream;
    bool streamStarted = false;
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) {
        if (!streamStarted) {
            ogg_stream_init(&stream, ogg_page_serialno(&page));
            streamStarted = true;
        }
        ogg_stream_pagein(&stream, &page);
        ogg_packet packet;
        while (ogg_stream_packetout(&stream, &packet) == 1)
            packets.emplace_back(std::string(reinterpret_cast<const char*>(packet.packet),
                                             static_cast<std::size_t>(packet.bytes)),
                                 packet.granulepos);
    }
    if (streamStarted)
        ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return packets;
}

class ParallelBuildTest : public BuildPipelineTest {
protected:
    // Builds with this many threads into its own destination; the pack's bytes.
    std::string PackBuiltWith(int threads, std::optional<unsigned> seed) {
        jobs = threads;
        serialSeed = seed;
        destination = sources.file("pack" + std::to_string(++builds) + ".velk");
        EXPECT_TRUE(Build());
        return ReadFileBytes(destination);
    }

    std::string Unpacked(const std::string& pack, int number) {
        TempFolder folder;
        const std::string path = folder.file("p.velk");
        WriteFileBytes(path, pack);
        EXPECT_TRUE(UnpackArchive(path, folder.path()));
        char name[32];
        std::snprintf(name, sizeof name, "velk/music%.2d.ogg", number);
        return ReadFileBytes(folder.file(name));
    }

    int builds = 0;
};

TEST_F(ParallelBuildTest, SameSerialsGiveByteIdenticalPacksAndOtherwiseTheSamePackets) {
    const std::string serial = PackBuiltWith(1, 7u);
    EXPECT_EQ(PackBuiltWith(2, 7u), serial);
    EXPECT_EQ(PackBuiltWith(16, 7u), serial);
    const std::string otherSerials = PackBuiltWith(4, 8u);
    ASSERT_NE(otherSerials, serial);
    for (int number : {1, 9, 16}) {
        const auto packets = OggPackets(Unpacked(serial, number));
        ASSERT_GT(packets.size(), 3u);
        EXPECT_EQ(OggPackets(Unpacked(otherSerials, number)), packets) << number;
    }
}

TEST_F(ParallelBuildTest, FirstFailingSlotInListOrderSpeaksAndLaterWorkIsDiscarded) {
    // Replaced after the check: slots 5 and 11 cannot be encoded; 11 may well fail first.
    WriteFileBytes(project.SlotAt(5).path(), "no audio here");
    WriteFileBytes(project.SlotAt(11).path(), "no audio here");
    std::set<std::string> serialLeft;
    for (int threads : {1, 16}) {
        SCOPED_TRACE(threads);
        jobs = threads;
        prompts.messages.clear();
        EXPECT_FALSE(Build());
        EXPECT_EQ(prompts.messages, std::vector<std::string>{"music05.ogg could not be encoded."});
        if (threads == 1)
            serialLeft = FilesBelow(WorkFolder());
        EXPECT_EQ(FilesBelow(WorkFolder()), serialLeft);
    }
    EXPECT_EQ(serialLeft, Joined(Joined(kScripts, Tracks(1, 4, ".ogg")), {"music05.wav"}));
}

TEST_F(ParallelBuildTest, CancelDuringALongSongStopsItsEncoder) {
    // Song 1 is a minute long; the cancel comes at the second report made while it encodes.
    WriteFileBytes(project.SlotAt(1).path(),
                   MakeWav(1, 44100, 16, Pcm16Bytes(ToneSamples(1, 44100, 60 * 44100, 440.0))));
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        jobs = threads;
        progress = FakeProgress();
        std::size_t cancelledAt = 0;
        progress.cancelWhen = [&](const std::vector<FakeProgress::Step>& steps) {
            const auto reports = std::count_if(steps.begin(), steps.end(), [](const auto& step) {
                return step.text == "Encoding music01.wav";
            });
            cancelledAt = steps.size();
            return reports >= 2;
        };
        EXPECT_FALSE(Build());
        EXPECT_TRUE(prompts.messages.empty());
        ASSERT_GT(cancelledAt, 0u);
        EXPECT_EQ(progress.steps[cancelledAt - 1].text, "Encoding music01.wav");
        // The display kept answering until the encoder had stopped: a few reports at most.
        EXPECT_LE(progress.steps.size() - cancelledAt, 10u);
        // Nothing half-written: a serial build keeps the work copy of the song it stopped at.
        const std::set<std::string> left =
            threads == 1 ? Joined(kScripts, {"music01.wav"}) : kScripts;
        EXPECT_EQ(FilesBelow(WorkFolder()), left);
        EXPECT_FALSE(FileExists(destination));
    }
}

} // namespace
