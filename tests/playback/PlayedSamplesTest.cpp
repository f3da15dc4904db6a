// What the player hands to the device, as SDL's disk driver writes it, against the samples
// each kind of song must give: exactly, after the driver's silence before and after.
#include "audio/SongTrim.h"
#include "playback/GameVersionSource.h"
#include "playback/PackSongSource.h"
#include "playback/Pcm16.h"
#include "playback/SongFileSource.h"
#include "playback/TrimmedSource.h"
#include "tests/archive/ArchiveFixture.h"
#include "tests/playback/PlaybackFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kRate = kTestRate;

std::unique_ptr<PlaybackSource> OpenFile(const std::string& path) {
    std::string problem;
    auto source = SongFileSource::Open(path, problem);
    EXPECT_EQ(problem, "");
    return source;
}

struct Song {
    std::unique_ptr<PlaybackSource> source;
    std::vector<std::int16_t> expected;
};

struct PlayedCase {
    std::string name;
    std::function<Song(const TempFolder&)> make;
};

Song Wav16(const TempFolder& folder) {
    const auto samples = Sweep(kRate);
    return {OpenFile(WriteWav(folder, "song.wav", samples)), samples};
}

Song TrimmedAndFaded(const TempFolder& folder) {
    const auto samples = Sweep(2 * kRate);
    const SongTrim trim{0.5, 1.5, 0.2, 0.3};
    const TrimFrames frames = TrimToFrames(trim, kRate, 2 * kRate);
    std::vector<std::int16_t> expected;
    for (std::int64_t i = 0; i < frames.count; ++i) {
        const float sample = samples[static_cast<std::size_t>(frames.first + i)] / 32768.0f;
        expected.push_back(ToPcm16(sample * FadeGain(frames, i)));
    }
    auto source =
        std::make_unique<TrimmedSource>(OpenFile(WriteWav(folder, "song.wav", samples)), trim);
    return {std::move(source), expected};
}

Song GameVersion(const TempFolder& folder) {
    const std::string wav = WriteWav(folder, "song.wav", Sweep(kRate));
    std::string problem;
    auto source = GameVersionSource::Open(OpenFile(wav), 4, problem);
    EXPECT_EQ(problem, "");
    return {std::move(source), BuiltAndInstalled(wav)};
}

Song PackSong(const TempFolder& folder) {
    const std::string first =
        EncodeAsTheBuild(WriteWav(folder, "first.wav", ToneSamples(1, kRate, kRate, 440)));
    const auto expected = BuiltAndInstalled(WriteWav(folder, "second.wav", Sweep(kRate)));
    WriteFileBytes(
        folder.file("pack.velk"),
        BuildStoredArchive({{"velk/playlists.con", "script"},
                            {"velk/music01.ogg", first},
                            {"velk/music02.ogg", ReadFileBytes(folder.file("second.ogg"))}}));
    std::string problem;
    auto source = PackSongSource::Open(folder.file("pack.velk"), 2, problem);
    EXPECT_EQ(problem, "");
    return {std::move(source), expected};
}

::testing::AssertionResult SameSamples(const std::vector<std::int16_t>& played,
                                       const std::vector<std::int16_t>& expected) {
    for (std::size_t i = 0; i < std::min(played.size(), expected.size()); ++i) {
        if (played[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "sample " << i << " is " << played[i] << ", expected " << expected[i];
    }
    if (played.size() != expected.size())
        return ::testing::AssertionFailure()
               << played.size() << " samples played, " << expected.size() << " expected";
    return ::testing::AssertionSuccess();
}

class PlayedSamples : public ::testing::TestWithParam<PlayedCase> {};

TEST_P(PlayedSamples, AreTheSongsSamples) {
    TempFolder folder;
    Song song = GetParam().make(folder);
    ASSERT_TRUE(song.source);
    ASSERT_FALSE(song.expected.empty());
    DiskOutput output;
    ASSERT_TRUE(PlayToEnd(std::move(song.source)));
    EXPECT_TRUE(
        SameSamples(WithoutEdgeSilence(output.Played()), WithoutEdgeSilence(song.expected)));
}

INSTANTIATE_TEST_SUITE_P(Songs, PlayedSamples,
                         ::testing::Values(PlayedCase{"SourceWav16", Wav16},
                                           PlayedCase{"TrimmedAndFaded", TrimmedAndFaded},
                                           PlayedCase{"AsTheGamePlaysIt", GameVersion},
                                           PlayedCase{"PackSong", PackSong}),
                         [](const auto& tested) { return tested.param.name; });

} // namespace
