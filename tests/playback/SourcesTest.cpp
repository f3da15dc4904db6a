// The sources on their own: what each refuses, and that reading from a frame gives the song
// from that frame.
#include "playback/GameVersionSource.h"
#include "playback/PackSongSource.h"
#include "playback/SongFileSource.h"
#include "playback/TrimmedSource.h"
#include "tests/archive/ArchiveFixture.h"
#include "tests/playback/PlaybackFixture.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

// Ten quiet samples at any rate, for the refusals that need no file.
class SilentSource final : public PlaybackSource {
public:
    explicit SilentSource(std::int32_t rate) : rate_(rate) {}
    std::int32_t Rate() const override { return rate_; }
    std::int64_t Frames() const override { return 10; }
    bool Seek(std::int64_t) override { return true; }
    std::int64_t Read(float*, std::int64_t) override { return 0; }
    std::string Problem() const override { return {}; }

private:
    std::int32_t rate_;
};

std::string OpenFileProblem(const std::string& path) {
    std::string problem;
    EXPECT_FALSE(SongFileSource::Open(path, problem));
    return problem;
}

// A song of a tenth of a second as the build encodes it.
std::string OggSong(const TempFolder& folder, int channels, int rate, std::int32_t serial = 7) {
    const auto samples = ToneSamples(channels, rate, rate / 10, 440);
    WriteFileBytes(folder.file("song.wav"), MakeWav(channels, rate, 16, Pcm16Bytes(samples)));
    const std::string ogg = EncodeAsTheBuild(folder.file("song.wav"), serial);
    EXPECT_NE(ogg, "");
    return ogg;
}

std::string PackProblem(const TempFolder& folder, const FixtureArchive& pack, int number = 1) {
    WriteFileBytes(folder.file("pack.velk"), BuildArchive(pack));
    std::string problem;
    EXPECT_FALSE(PackSongSource::Open(folder.file("pack.velk"), number, problem));
    return problem;
}

FixtureArchive PackOf(const std::string& name, const std::string& data) {
    FixtureArchive pack;
    pack.entries.push_back({"velk/playlists.con", "script"});
    pack.entries.push_back({name, data});
    return pack;
}

struct RefusalCase {
    const char* name;
    std::function<std::string(const TempFolder&)> problem;
    std::string says; // what follows "Cannot play ..." and its path
};

class RefusedSource : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedSource, SaysWhy) {
    TempFolder folder;
    const std::string problem = GetParam().problem(folder);
    EXPECT_EQ(problem.rfind("Cannot play ", 0), 0u) << problem;
    EXPECT_TRUE(problem.ends_with(GetParam().says)) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedSource,
    testing::Values(
        RefusalCase{"FileMissing", [](auto& f) { return OpenFileProblem(f.file("none.wav")); },
                    "none.wav: it cannot be read."},
        RefusalCase{"FileIsText",
                    [](auto& f) {
                        WriteFileBytes(f.file("a.wav"), "not a song");
                        return OpenFileProblem(f.file("a.wav"));
                    },
                    "a.wav: it is not a WAV or AIFF file the build reads."},
        RefusalCase{"FileIsStereo",
                    [](auto& f) {
                        WriteFileBytes(f.file("a.wav"),
                                       MakeWav(2, 22050, 16, std::string(8, '\1')));
                        return OpenFileProblem(f.file("a.wav"));
                    },
                    "a.wav: it is not mono."},
        RefusalCase{"PackIsText",
                    [](auto& f) {
                        WriteFileBytes(f.file("pack.velk"), "not a pack");
                        std::string problem;
                        PackSongSource::Open(f.file("pack.velk"), 1, problem);
                        return problem;
                    },
                    ": the pack is not a valid velk file (its directory offset lies beyond the "
                    "end of the file)."},
        RefusalCase{"SongMissing",
                    [](auto& f) { return PackProblem(f, PackOf("velk/music02.ogg", "x")); },
                    ": the pack does not hold it."},
        RefusalCase{"SongTwice",
                    [](auto& f) {
                        FixtureArchive pack = PackOf("velk/music01.ogg", "x");
                        pack.entries.push_back({"velk/music01.ogg", "y"});
                        return PackProblem(f, pack);
                    },
                    ": the pack holds it twice."},
        RefusalCase{"SongCompressed",
                    [](auto& f) {
                        FixtureArchive pack = PackOf("velk/music01.ogg", "x");
                        pack.entries[0].unpackedSize = 100;
                        return PackProblem(f, pack);
                    },
                    ": it is stored compressed, which Korvane never does."},
        RefusalCase{"SongPastTheEnd",
                    [](auto& f) {
                        FixtureArchive pack = PackOf("velk/music01.ogg", "x");
                        pack.entries[1].storedSize = pack.entries[1].unpackedSize = 5000;
                        return PackProblem(f, pack);
                    },
                    ": its data reaches past the end of the pack."},
        RefusalCase{"SongIsText",
                    [](auto& f) { return PackProblem(f, PackOf("velk/music01.ogg", "hello")); },
                    ": it is not Ogg Vorbis."},
        RefusalCase{"SongChained",
                    [](auto& f) {
                        const std::string chain = OggSong(f, 1, 22050, 1) + OggSong(f, 1, 22050, 2);
                        return PackProblem(f, PackOf("velk/music01.ogg", chain));
                    },
                    ": it holds more than one logical stream."},
        RefusalCase{"SongStereo",
                    [](auto& f) {
                        return PackProblem(f, PackOf("velk/music01.ogg", OggSong(f, 2, 22050)));
                    },
                    ": it is not mono."},
        RefusalCase{"SongAt96kHz",
                    [](auto& f) {
                        return PackProblem(f, PackOf("velk/music01.ogg", OggSong(f, 1, 96000)));
                    },
                    ": its rate of 96000 Hz is outside 8,000 to 48,000 Hz."},
        RefusalCase{"EncoderRefusesTheRate",
                    [](auto&) {
                        std::string problem;
                        GameVersionSource::Open(std::make_unique<SilentSource>(400000), 4, problem);
                        return "Cannot play " + problem;
                    },
                    "The Vorbis encoder refuses a song of 400000 Hz."}),
    [](const auto& tested) { return std::string(tested.param.name); });

std::vector<float> ReadToEnd(PlaybackSource& source) {
    std::vector<float> samples;
    std::vector<float> block(1000);
    for (std::int64_t got; (got = source.Read(block.data(), 1000)) > 0;)
        samples.insert(samples.end(), block.begin(), block.begin() + got);
    return samples;
}

// How far apart two equally long runs of samples are: the root mean square of their
// difference over that of the first.
double RelativeDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double difference = 0;
    double signal = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference += (a[i] - b[i]) * (a[i] - b[i]);
        signal += a[i] * a[i];
    }
    return std::sqrt(difference / signal);
}

struct FromFrameCase {
    const char* name;
    std::function<std::unique_ptr<PlaybackSource>(const TempFolder&)> open;
    std::int64_t frame;
    double tolerance; // 0: the very same samples
};

class ReadFromAFrame : public testing::TestWithParam<FromFrameCase> {};

TEST_P(ReadFromAFrame, GivesTheSongFromThere) {
    TempFolder folder;
    auto source = GetParam().open(folder);
    ASSERT_TRUE(source);
    const std::vector<float> whole = ReadToEnd(*source);
    ASSERT_EQ(static_cast<std::int64_t>(whole.size()), source->Frames());
    ASSERT_TRUE(source->Seek(GetParam().frame));
    const std::vector<float> rest = ReadToEnd(*source);
    const std::vector<float> expected(whole.begin() + GetParam().frame, whole.end());
    ASSERT_EQ(rest.size(), expected.size());
    if (GetParam().tolerance == 0)
        EXPECT_EQ(rest, expected);
    else
        EXPECT_LT(RelativeDifference(expected, rest), GetParam().tolerance);
}

std::unique_ptr<PlaybackSource> SweepFile(const TempFolder& folder) {
    std::string problem;
    return SongFileSource::Open(WriteWav(folder, "song.wav", Sweep(3 * kTestRate)), problem);
}

std::unique_ptr<PlaybackSource> GameVersionOfSweep(const TempFolder& folder) {
    std::string problem;
    return GameVersionSource::Open(SweepFile(folder), 4, problem);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ReadFromAFrame,
    testing::Values(
        FromFrameCase{"File", SweepFile, 30000, 0},
        FromFrameCase{
            "Trimmed",
            [](auto& f) {
                return std::make_unique<TrimmedSource>(SweepFile(f), SongTrim{0.5, 2.5, 0.3, 0.3});
            },
            5000, 0},
        FromFrameCase{
            "PackSong",
            [](auto& f) {
                const std::string song =
                    EncodeAsTheBuild(WriteWav(f, "song.wav", Sweep(3 * kTestRate)));
                WriteFileBytes(f.file("p.velk"), BuildStoredArchive({{"velk/music05.ogg", song}}));
                std::string problem;
                return std::unique_ptr<PlaybackSource>(
                    PackSongSource::Open(f.file("p.velk"), 5, problem));
            },
            40000, 0},
        // Within the first second the encode starts at the song's start: the same samples.
        FromFrameCase{"GameVersionEarly", GameVersionOfSweep, 15000, 0},
        // Later it starts a second before: the codec's sound of the song, in its place.
        FromFrameCase{"GameVersionLate", GameVersionOfSweep, 45000, 0.1}),
    [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
