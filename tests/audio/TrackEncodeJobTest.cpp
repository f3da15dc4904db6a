#include "audio/TrackEncodeJob.h"
#include "audio/OggDecoder.h"
#include "tests/audio/OggFixture.h"
#include "tests/support/AiffFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::vector<std::int16_t> WavSamples(const std::string& wav) {
    std::vector<std::int16_t> samples;
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(wav[i]) |
                                                    (static_cast<unsigned char>(wav[i + 1]) << 8)));
    return samples;
}

std::uint32_t LE32At(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

double Correlation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return ab / std::sqrt(aa * bb);
}

double SnrDecibels(const std::vector<std::int16_t>& source, const std::vector<std::int16_t>& out) {
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        signal += double(source[i]) * source[i];
        noise += (double(out[i]) - source[i]) * (double(out[i]) - source[i]);
    }
    return 10.0 * std::log10(signal / noise);
}

struct RoundTripCase {
    int rate;
    int quality;
};

class RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, DecodesBackToTheSourceShapeAndSignal) {
    const RoundTripCase& c = GetParam();
    TempFolder temp;
    const int frames = c.rate * 3 / 2 + 17; // not a multiple of any block size
    const auto source = ToneSamples(1, c.rate, frames, 440.0);
    WriteFileBytes(temp.file("music07.wav"), MakeWav(1, c.rate, 16, Pcm16Bytes(source)));

    TrackEncodeJob job;
    job.qualityStep = c.quality;
    ASSERT_TRUE(job.Run(temp.file("music07.wav")));
    OggFacts facts = InspectOgg(temp.file("music07.ogg"));
    ASSERT_TRUE(facts.opened);
    EXPECT_EQ(facts.channels, 1);
    EXPECT_EQ(facts.rate, c.rate);
    EXPECT_EQ(facts.comments, 0);
    EXPECT_LE(facts.serial, 32767u);

    std::filesystem::remove(temp.file("music07.wav"));
    OggDecoder decoder;
    ASSERT_TRUE(decoder.decodeToWav(temp.file("music07.ogg")));
    std::string wav = ReadFileBytes(temp.file("music07.wav"));
    ASSERT_EQ(wav.size(), 44u + 2u * frames);
    EXPECT_EQ(LE32At(wav, 24), static_cast<std::uint32_t>(c.rate));
    EXPECT_EQ(wav[22], 1);
    EXPECT_EQ(LE32At(wav, 40), 2u * frames);
    auto decoded = WavSamples(wav);
    ASSERT_EQ(decoded.size(), source.size());
    EXPECT_GT(Correlation(source, decoded), 0.95);
    if (c.quality >= 4) {
        EXPECT_GT(SnrDecibels(source, decoded), 15.0);
    }
}

INSTANTIATE_TEST_SUITE_P(MonoTones, RoundTrip,
                         testing::Values(RoundTripCase{44100, 1}, RoundTripCase{44100, 4},
                                         RoundTripCase{44100, 10}, RoundTripCase{22050, 1},
                                         RoundTripCase{22050, 4}, RoundTripCase{22050, 10}),
                         [](const auto& tested) {
                             return std::to_string(tested.param.rate) + "HzQuality" +
                                    std::to_string(tested.param.quality);
                         });

TEST(TrackEncodeJob, RunsInTheSameSecondShareTheSerialNumber) {
    TempFolder temp;
    std::string wav = MakeWav(1, 8000, 16, Pcm16Bytes(ToneSamples(1, 8000, 800, 440.0)));
    WriteFileBytes(temp.file("music01.wav"), wav);
    WriteFileBytes(temp.file("music02.wav"), wav);
    std::time_t before = std::time(nullptr);
    TrackEncodeJob first, second;
    ASSERT_TRUE(first.Run(temp.file("music01.wav")));
    ASSERT_TRUE(second.Run(temp.file("music02.wav")));
    if (std::time(nullptr) != before)
        GTEST_SKIP() << "the runs straddled a second boundary";
    EXPECT_EQ(InspectOgg(temp.file("music01.ogg")).serial,
              InspectOgg(temp.file("music02.ogg")).serial);
}

TEST(TrackEncodeJob, EncodesAiffAtItsOwnRate) {
    TempFolder temp;
    std::string samples;
    for (auto s : ToneSamples(1, 22050, 4000, 440.0))
        PutBE16(samples, static_cast<std::uint16_t>(s));
    WriteFileBytes(temp.file("song.aif"), MakeAiff16(1, 22050, samples));
    TrackEncodeJob job;
    ASSERT_TRUE(job.Run(temp.file("song.aif")));
    OggFacts facts = InspectOgg(temp.file("song.ogg"));
    EXPECT_TRUE(facts.opened);
    EXPECT_EQ(facts.rate, 22050);
}

// A trim's reader hands the encoder the same blocks of the same samples when it keeps all of
// them unfaded: the stream is the untrimmed one, byte for byte.
TEST(TrackEncodeJob, TrimKeepingEverySampleEncodesAsNoTrim) {
    TempFolder temp;
    const std::string wav = MakeWav(1, 22050, 16, Pcm16Bytes(ToneSamples(1, 22050, 30000, 440.0)));
    WriteFileBytes(temp.file("whole.wav"), wav);
    WriteFileBytes(temp.file("kept.wav"), wav);
    TrackEncodeJob whole, kept;
    whole.serialNumber = kept.serialNumber = 5;
    kept.trim = {0, 30000.0 / 22050, 0, 0};
    ASSERT_FALSE(kept.trim.IsNone());
    ASSERT_TRUE(whole.Run(temp.file("whole.wav")));
    ASSERT_TRUE(kept.Run(temp.file("kept.wav")));
    EXPECT_EQ(ReadFileBytes(temp.file("kept.ogg")), ReadFileBytes(temp.file("whole.ogg")));
}

struct FailureCase {
    const char* name;
    std::string fileName;
    std::string bytes; // empty: no input file at all
    std::int32_t quality;
    std::string messagePrefix; // "%s" marks the input path
    bool outputLeft;
};

class TrackEncodeJobFails : public testing::TestWithParam<FailureCase> {};

TEST_P(TrackEncodeJobFails, ReturnsFalseWithItsDiagnostic) {
    const FailureCase& c = GetParam();
    TempFolder temp;
    std::string input = temp.file(c.fileName);
    if (!c.bytes.empty())
        WriteFileBytes(input, c.bytes);
    std::string expected = c.messagePrefix;
    if (auto at = expected.find("%s"); at != std::string::npos)
        expected.replace(at, 2, input);
    TrackEncodeJob job;
    job.qualityStep = c.quality;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(job.Run(input));
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages.rfind(expected, 0), 0u) << messages;
    std::string output = temp.file("music01.ogg");
    EXPECT_EQ(std::filesystem::exists(output), c.outputLeft);
    if (c.outputLeft) {
        EXPECT_EQ(std::filesystem::file_size(output), 0u);
    }
}

std::string InfiniteRateAiff() {
    std::string body = CommBody(1, 4, 16, 44100);
    body.replace(8, 10, std::string("\x7F\xFF\x80\0\0\0\0\0\0\0", 10));
    return AiffForm(AiffChunk("COMM", body) + AiffChunk("SSND", SsndBody(std::string(8, '\0'))));
}

const std::string kMonoWav = MakeWav(1, 44100, 16, std::string(400, '\0'));

INSTANTIATE_TEST_SUITE_P(
    Causes, TrackEncodeJobFails,
    testing::Values(
        FailureCase{"MissingInput", "music01.wav", "", 4,
                    "ERROR: Cannot open input file \"%s\": No such file or directory\n", false},
        FailureCase{"UnsupportedFormat", "music01.wav", "not audio at all", 4,
                    "ERROR: Input file \"%s\" is not a supported format\n", false},
        FailureCase{"QualityRejected", "music01.wav", kMonoWav, -50,
                    "Mode initialisation failed: invalid parameters for quality\n", true},
        FailureCase{"InfiniteAiffRate", "music01.aif", InfiniteRateAiff(), 4,
                    "Mode initialisation failed: invalid parameters for quality\n", true}),
    [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
