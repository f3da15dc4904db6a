// AAC in MP4 and ADTS, and the formats the importer names when it refuses them: each song
// is encoded here with an AAC encoder library, so the imported samples can be compared with
// the very source that made the file.
#include "import/ImportProblem.h"
#include "import/MemoryBytes.h"
#include "import/Mp4Reader.h"
#include "import/SongImporter.h"
#include "tests/support/AacFixture.h"
#include "tests/support/AudioFileFixture.h"
#include "tests/support/Mp4Fixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr int kOutputRate = 44100;
constexpr double kSeconds = 2.0;

// Music-like and nowhere periodic: three tones under a slow swell, and a chirp, so that a
// copy shifted by any number of samples correlates far worse than the copy in place.
double Song(double time) {
    const double swell = 0.6 + 0.4 * std::sin(2 * M_PI * 1.3 * time);
    return swell * (0.25 * std::sin(2 * M_PI * 330 * time) +
                    0.15 * std::sin(2 * M_PI * 1234.5 * time + 1) +
                    0.08 * std::sin(2 * M_PI * 4321 * time)) +
           0.15 * std::sin(2 * M_PI * (200 + 300 * time) * time);
}

std::vector<std::int16_t> SourceSamples(int rate, int channels) {
    const auto frames = static_cast<std::size_t>(kSeconds * rate);
    std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            samples[frame * static_cast<std::size_t>(channels) +
                    static_cast<std::size_t>(channel)] =
                static_cast<std::int16_t>(std::lround(32767 * (channel ? 0.8 : 1.0) *
                                                      Song(static_cast<double>(frame) / rate)));
    return samples;
}

// The source as the importer should give it: at the output rate, as a mono average.
const std::vector<double>& Reference() {
    static const std::vector<double> reference = [] {
        std::vector<double> samples(static_cast<std::size_t>(kSeconds * kOutputRate));
        for (std::size_t index = 0; index < samples.size(); ++index)
            samples[index] = Song(static_cast<double>(index) / kOutputRate);
        return samples;
    }();
    return reference;
}

// Correlation of the song with the source shifted by `lag` samples (the source's first sample
// at index `lag`), over the part where both exist.
double Correlation(const std::vector<float>& song, long lag) {
    const std::vector<double>& reference = Reference();
    double both = 0, songs = 0, sources = 0;
    const long first = std::max(0L, lag);
    const long last =
        std::min(static_cast<long>(song.size()), lag + static_cast<long>(reference.size()));
    for (long index = first; index < last; ++index) {
        const double source = reference[static_cast<std::size_t>(index - lag)];
        const double sample = song[static_cast<std::size_t>(index)];
        both += sample * source;
        songs += sample * sample;
        sources += source * source;
    }
    return both / std::sqrt(std::max(songs * sources, 1e-30));
}

struct AacCase {
    const char* name;
    int rate;
    int channels;
    bool adts;
    Mp4Layout::Gapless gapless;
    const char* artist;
    const char* title;
    const char* expectedTitle;
};

void PrintTo(const AacCase& c, std::ostream* out) {
    *out << c.name;
}

class AacSongTest : public testing::TestWithParam<AacCase> {
protected:
    TempFolder in, out;
};

TEST_P(AacSongTest, MatchesTheSourceAfterTheEncoderDelay) {
    const AacCase& param = GetParam();
    AacFrames aac;
    ASSERT_TRUE(
        EncodeAac(SourceSamples(param.rate, param.channels), param.rate, param.channels, aac));
    Mp4Layout layout;
    layout.gapless = param.gapless;
    layout.length = static_cast<std::uint64_t>(kSeconds * param.rate);
    layout.artist = param.artist;
    layout.title = param.title;
    // An ID3v2 tag ahead of the frames, as some rippers write.
    const std::string id3 =
        std::string("ID3\x04\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0');
    const std::string source = in.file(std::string(param.name) + (param.adts ? ".aac" : ".m4a"));
    WriteFileBytes(source, param.adts ? id3 + AdtsStream(aac) : Mp4File(aac, layout));

    SongImporter importer(out.path(), ImportSettings{});
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    ImportedSong song = importer.Import(source, cancel, permille);
    ASSERT_EQ(song.problem, ImportProblem::None) << ImportProblemText(song.problem, source);
    ASSERT_TRUE(SongImporter::Publish(song));
    EXPECT_EQ(song.title, param.expectedTitle);
    DecodedAudio imported;
    ASSERT_TRUE(ReadAudioFile(song.path, imported));
    ASSERT_EQ(imported.channels, 1);
    ASSERT_EQ(imported.sampleRate, kOutputRate);

    // With the delay told, the song is exactly the source; without, all frames, priming first.
    const bool told = !param.adts && param.gapless != Mp4Layout::Gapless::None;
    const double ratio = static_cast<double>(kOutputRate) / param.rate;
    const double expectedLength =
        told ? kSeconds * kOutputRate : static_cast<double>(aac.frames.size() * 1024) * ratio;
    const long expectedLag = told ? 0 : std::lround(static_cast<double>(kAacPriming) * ratio);
    const double lengthSlack = param.rate == kOutputRate ? 0 : 2; // the resampler's rounding
    EXPECT_NEAR(static_cast<double>(imported.samples.size()), expectedLength, lengthSlack);

    long best = 0;
    double bestCorrelation = -1;
    for (long lag = expectedLag - 1200; lag <= expectedLag + 1200; ++lag) {
        const double correlation = Correlation(imported.samples, lag);
        if (correlation > bestCorrelation) {
            bestCorrelation = correlation;
            best = lag;
        }
    }
    EXPECT_EQ(best, expectedLag);
    EXPECT_GT(bestCorrelation, 0.99); // the codec's error at 128 kbit/s per channel
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AacSongTest,
    testing::Values(
        AacCase{"m4a_edit_list_mono", 44100, 1, false, Mp4Layout::Gapless::EditList, "Band",
                "Café Song", "Band - Café Song"},
        AacCase{"m4a_itunsmpb_stereo", 44100, 2, false, Mp4Layout::Gapless::ITunSmpb, "", "Gapless",
                "Gapless"},
        AacCase{"m4a_both_48k", 48000, 2, false, Mp4Layout::Gapless::Both, "", "", "m4a_both_48k"},
        AacCase{"m4a_no_delay_22k", 22050, 1, false, Mp4Layout::Gapless::None, "", "",
                "m4a_no_delay_22k"},
        AacCase{"adts_stereo", 44100, 2, true, Mp4Layout::Gapless::None, "", "", "adts_stereo"}),
    [](const auto& test) { return TestName(test.param.name); });

// Hostile and refused MP4 files, read from memory: each is a good file changed in one place.
struct Mp4Case {
    const char* name;
    std::function<std::string()> make;
    ImportProblem expected;
};

void PrintTo(const Mp4Case& c, std::ostream* out) {
    *out << c.name;
}

const AacFrames& ShortSong() {
    static const AacFrames aac = [] {
        AacFrames frames;
        EncodeAac(std::vector<std::int16_t>(22050, 100), 44100, 1, frames);
        return frames;
    }();
    return aac;
}

std::string Made(const std::function<void(Mp4Layout&)>& change) {
    Mp4Layout layout;
    change(layout);
    return Mp4File(ShortSong(), layout);
}

// The file with the 32-bit field at `offset` bytes into the first box of `type` replaced.
std::string Patched(
    const char* type, std::size_t offset, std::uint32_t value,
    const std::function<void(Mp4Layout&)>& change = [](Mp4Layout&) {}) {
    std::string file = Made(change);
    const std::size_t at = BoxAt(file, type) + offset;
    for (int index = 0; index < 4; ++index)
        file[at + static_cast<std::size_t>(index)] = static_cast<char>(value >> (24 - 8 * index));
    return file;
}

class Mp4ReaderTest : public testing::TestWithParam<Mp4Case> {};

TEST_P(Mp4ReaderTest, RefusesWithItsReason) {
    ASSERT_FALSE(ShortSong().frames.empty());
    const std::string file = GetParam().make();
    MemoryBytes bytes(file.data(), file.size());
    AacTrack track;
    EXPECT_EQ(Mp4Reader::Read(bytes, track), GetParam().expected);
}

std::vector<Mp4Case> Mp4Cases() {
    using P = ImportProblem;
    auto same = [](Mp4Layout&) {};
    return {
        {"good", [=] { return Made(same); }, P::None},
        {"64-bit offsets", [] { return Made([](Mp4Layout& l) { l.wideOffsets = true; }); },
         P::None},
        {"fragment", [] { return Made([](Mp4Layout& l) { l.fragment = true; }); }, P::Fragmented},
        {"movie extends", [] { return Made([](Mp4Layout& l) { l.movieExtends = true; }); },
         P::Fragmented},
        {"enca", [] { return Made([](Mp4Layout& l) { l.sampleEntry = "enca"; }); }, P::Protected},
        {"drms", [] { return Made([](Mp4Layout& l) { l.sampleEntry = "drms"; }); }, P::Protected},
        {"sinf in mp4a", [] { return Made([](Mp4Layout& l) { l.sinf = true; }); }, P::Protected},
        {"alac", [] { return Made([](Mp4Layout& l) { l.sampleEntry = "alac"; }); },
         P::AppleLossless},
        {"protected and fragmented",
         [] {
             return Made([](Mp4Layout& l) {
                 l.sampleEntry = "enca";
                 l.movieExtends = true;
             });
         },
         P::Protected},
        {"truncated",
         [=] {
             const std::string f = Made(same);
             return f.substr(0, f.size() * 2 / 3);
         },
         P::Damaged},
        {"no moov",
         [] {
             return std::string("\0\0\0\x10"
                                "ftypM4A \0\0\0\0",
                                16);
         },
         P::Damaged},
        {"video only", [] { return Patched("hdlr", 16, 0x76696465 /* vide */); }, P::NotAudio},
        {"mp3 in mp4", [] { return Patched("esds", 19, 0x6B150000); }, P::Unsupported},
        {"box under 8 bytes", [] { return Patched("trak", 0, 4); }, P::Damaged},
        {"box past its parent", [] { return Patched("stbl", 0, 0x7FFFFFF0); }, P::Damaged},
        {"64-bit size past the end",
         [] {
             std::string f = Patched("mdat", 0, 1);
             return f.insert(BoxAt(f, "mdat") + 8, std::string("\x7F\0\0\0\0\0\0\0", 8));
         },
         P::Damaged},
        {"size 0 inside", [] { return Patched("mdia", 0, 0); }, P::Damaged},
        {"frame count beyond its box", [] { return Patched("stsz", 16, 0x00070000); }, P::Damaged},
        {"frame count beyond any song", [] { return Patched("stsz", 16, 0x7FFFFFFF); }, P::TooLong},
        {"frame larger than AAC allows", [] { return Patched("stsz", 20, 0x00100000); },
         P::Damaged},
        {"frame lasting a minute", [] { return Patched("stts", 20, 44100 * 60); }, P::Damaged},
        {"durations for too few frames", [] { return Patched("stts", 16, 3); }, P::Damaged},
        {"chunk runs from chunk 0", [] { return Patched("stsc", 16, 0); }, P::Damaged},
        {"chunk past the end", [] { return Patched("stco", 16, 0xFFFFFF00); }, P::Damaged},
        {"delay past the end", [] { return Patched("elst", 20, 0x00FFFFFF); }, P::Damaged},
        // Only the boxes on the path to the samples are entered: nesting elsewhere is passed over.
        {"nested movie boxes",
         [] {
             std::string box = "\0\0\0\x08"
                               "free";
             for (int depth = 0; depth < 40; ++depth)
                 box = std::string(1, '\0') + static_cast<char>((box.size() + 8) >> 16) +
                       static_cast<char>((box.size() + 8) >> 8) +
                       static_cast<char>(box.size() + 8) + "moov" + box;
             return std::string("\0\0\0\x10"
                                "ftypM4A \0\0\0\0",
                                16) +
                    box;
         },
         P::NotAudio},
    };
}

INSTANTIATE_TEST_SUITE_P(Files, Mp4ReaderTest, testing::ValuesIn(Mp4Cases()),
                         [](const auto& test) { return TestName(test.param.name); });

// ADTS streams that are not whole: the importer says damaged and leaves nothing.
TEST(AdtsProblemTest, BrokenStreamsAreDamaged) {
    AacFrames aac;
    ASSERT_TRUE(EncodeAac(std::vector<std::int16_t>(44100, 200), 44100, 1, aac));
    const std::string stream = AdtsStream(aac);
    const std::pair<const char*, std::string> cases[] = {
        {"cut short", stream.substr(0, stream.size() - 40)},
        {"garbage after", stream + std::string(300, 'x')},
        {"frame length under its header",
         [&] {
             std::string s = stream;
             s[4] = 0;
             s[5] = 0;
             s[3] &= ~3;
             return s;
         }()},
    };
    for (const auto& [name, bytes] : cases) {
        TempFolder in, out;
        WriteFileBytes(in.file("song.aac"), bytes);
        SongImporter importer(out.path(), ImportSettings{});
        std::atomic<bool> cancel{false};
        std::atomic<int> permille{0};
        const ImportedSong song = importer.Import(in.file("song.aac"), cancel, permille);
        EXPECT_EQ(song.problem, ImportProblem::Damaged) << name;
        EXPECT_FALSE(song.staged) << name;
    }
    // A closing ID3v1 tag is no damage.
    TempFolder in, out;
    WriteFileBytes(in.file("tagged.aac"), stream + "TAG" + std::string(125, ' '));
    SongImporter importer(out.path(), ImportSettings{});
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    EXPECT_EQ(importer.Import(in.file("tagged.aac"), cancel, permille).problem,
              ImportProblem::None);
}

// The length an MP4 file announces is exact: a song over 30 minutes is refused before it is
// decoded. One silent frame stands for all of them.
TEST(AacLengthTest, OverThirtyMinutesIsRefusedUnread) {
    AacFrames aac;
    ASSERT_TRUE(EncodeAac(std::vector<std::int16_t>(1024, 0), 44100, 1, aac));
    const auto count = static_cast<std::size_t>(SongImporter::kMaxSeconds * 44100 / 1024) + 100;
    aac.frames.resize(count, aac.frames.back());
    Mp4Layout layout;
    layout.framesPerChunk = 1000;
    TempFolder in, out;
    WriteFileBytes(in.file("long.m4a"), Mp4File(aac, layout));
    SongImporter importer(out.path(), ImportSettings{});
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    EXPECT_EQ(importer.Import(in.file("long.m4a"), cancel, permille).problem,
              ImportProblem::TooLong);
    EXPECT_EQ(permille.load(), 0);
}

TEST(AacMessagesTest, NameTheFileAndWhatToDo) {
    const std::string file = "/music/Song.m4a";
    EXPECT_EQ(ImportProblemText(ImportProblem::Fragmented, file),
              "Cannot import /music/Song.m4a: it is a fragmented MP4 file, which Korvane does not "
              "read. Convert it to FLAC or MP3 first.");
    EXPECT_EQ(ImportProblemText(ImportProblem::Protected, file),
              "Cannot import /music/Song.m4a: it is a protected (DRM) file, which only the "
              "store's own player can play.");
    EXPECT_EQ(ImportProblemText(ImportProblem::AppleLossless, file),
              "Cannot import /music/Song.m4a: it is Apple Lossless (ALAC), which Korvane does not "
              "decode. Convert it to FLAC first.");
    EXPECT_EQ(ImportProblemText(ImportProblem::WmaNeedsWindows, "/music/Song.wma"),
              "Cannot import /music/Song.wma: WMA files need the Windows edition of Korvane. "
              "Convert it to FLAC or MP3 first.");
    EXPECT_EQ(ImportProblemText(ImportProblem::WmaNeedsMediaFoundation, "C:\\Song.wma"),
              "Cannot import C:\\Song.wma: WMA files need Windows Media Foundation, which this "
              "Windows lacks. Install the Media Feature Pack, or convert the file to FLAC or MP3.");
}

} // namespace
