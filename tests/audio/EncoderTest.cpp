#include "audio/SampleReading.h"
#include "audio/VorbisEncoder.h"
#include "tests/audio/ByteStream.h"
#include "tests/audio/OggFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

std::int32_t ReadNothing(PcmFileReader*, float**, std::int32_t) {
    return 0;
}

// Raw interleaved 16-bit samples behind a reader state.
class RawPcmSource {
public:
    RawPcmSource(int channels, const std::vector<std::int16_t>& samples)
        : stream_(Pcm16Bytes(samples)),
          reader_{static_cast<std::int16_t>(channels), 16, 0, 0, stream_.get(), 0} {}
    bool opened() const { return stream_.get() != nullptr; }
    void fill(EncoderSettings& s, int rate) {
        s.read = readPcmFrames;
        s.readerState = &reader_;
        s.channels = reader_.channels;
        s.rate = rate;
    }

private:
    ByteStream stream_;
    PcmFileReader reader_;
};

std::string Encoded(std::FILE* output) {
    std::fflush(output);
    std::string bytes;
    std::rewind(output);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, output)) > 0)
        bytes.append(buffer, got);
    return bytes;
}

struct RunResult {
    int result;
    std::string messages;
    std::string bytes;
};

RunResult Encode(EncoderSettings& s) {
    ByteStream output("");
    if (!output.get())
        return {-1, "no output file", ""};
    s.output = output.get();
    testing::internal::CaptureStderr();
    int result = encodeStream(s);
    std::string messages = testing::internal::GetCapturedStderr();
    return {result, messages, Encoded(output.get())};
}

struct RejectCase {
    const char* name;
    int channels;
    int rate;
    float quality;
    std::int32_t qualitySet, managed, nominal, minimum, maximum;
    const char* message;
};

class EncoderRejects : public testing::TestWithParam<RejectCase> {};

TEST_P(EncoderRejects, WritesTheMessageAndNothingElse) {
    const RejectCase& c = GetParam();
    EncoderSettings s;
    s.read = ReadNothing;
    s.channels = c.channels;
    s.rate = c.rate;
    s.quality = c.quality;
    s.qualitySet = c.qualitySet;
    s.managed = c.managed;
    s.nominalBitrate = c.nominal;
    s.minBitrate = c.minimum;
    s.maxBitrate = c.maximum;
    bool ended = false;
    s.onEnd = [&](const std::string&, double, std::int32_t, std::int64_t, std::int64_t) {
        ended = true;
    };
    RunResult run = Encode(s);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.messages, c.message);
    EXPECT_TRUE(run.bytes.empty());
    EXPECT_FALSE(ended);
}

const char* const kQualityMessage = "Mode initialisation failed: invalid parameters for quality\n";

INSTANTIATE_TEST_SUITE_P(
    SetUp, EncoderRejects,
    testing::Values(
        RejectCase{"TooManyChannels", 256, 44100, 0.4f, 1, 0, -1, -1, -1,
                   "255 channels should be enough for anyone. (Sorry, vorbis doesn't support "
                   "more)\n"},
        RejectCase{"MinimumBitrateWithoutManagement", 1, 44100, 0.4f, 1, 0, -1, 0, -1,
                   "Requesting a minimum or maximum bitrate requires --managed\n"},
        RejectCase{"MaximumBitrateWithoutManagement", 1, 44100, 0.4f, 1, 0, -1, -1, 128,
                   "Requesting a minimum or maximum bitrate requires --managed\n"},
        RejectCase{"QualityOutOfRange", 1, 44100, -5.0f, 1, 0, -1, -1, -1, kQualityMessage},
        RejectCase{"RateZero", 1, 0, 0.4f, 1, 0, -1, -1, -1, kQualityMessage},
        RejectCase{"RateNegative", 1, -44100, 0.4f, 1, 0, -1, -1, -1, kQualityMessage},
        RejectCase{"ZeroChannels", 0, 44100, 0.4f, 1, 0, -1, -1, -1, kQualityMessage},
        RejectCase{"BitrateImpossible", 1, 8000, 0.4f, 0, 1, 2000, -1, -1,
                   "Mode initialisation failed: invalid parameters for bitrate\n"}),
    [](const auto& tested) { return std::string(tested.param.name); });

// Writes encoded bytes to a file and asks libvorbisfile about them.
OggFacts Inspect(const std::string& bytes) {
    TempFolder temp;
    WriteFileBytes(temp.file("s.ogg"), bytes);
    return InspectOgg(temp.file("s.ogg"));
}

TEST(EncodeStream, EmptySourceStillGivesAValidStream) {
    EncoderSettings s;
    s.read = ReadNothing;
    s.channels = 1;
    s.rate = 44100;
    s.serialNumber = 4242;
    RunResult run = Encode(s);
    ASSERT_EQ(run.result, 0) << run.messages;
    ASSERT_GE(run.bytes.size(), 58u);
    EXPECT_EQ(run.bytes.substr(0, 4), "OggS");
    // Serial number at byte 14 of every page header.
    EXPECT_EQ(static_cast<unsigned char>(run.bytes[14]) |
                  (static_cast<unsigned char>(run.bytes[15]) << 8),
              4242);
    OggFacts d = Inspect(run.bytes);
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.frames, 0);
    EXPECT_EQ(d.comments, 0);
}

TEST(EncodeStream, AllBitratesUnsetMeansQualityModeWhateverQualitySetSays) {
    RawPcmSource source(2, ToneSamples(2, 44100, 44100, 440.0));
    ASSERT_TRUE(source.opened());
    EncoderSettings s;
    source.fill(s, 44100);
    s.qualitySet = 0;
    RunResult run = Encode(s);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, "");
    OggFacts d = Inspect(run.bytes);
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.frames, 44100);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.rate, 44100);
}

TEST(EncodeStream, ManagedBitrateModeEncodes) {
    RawPcmSource source(1, ToneSamples(1, 22050, 22050, 440.0));
    ASSERT_TRUE(source.opened());
    EncoderSettings s;
    source.fill(s, 22050);
    s.qualitySet = 0;
    s.managed = 1;
    s.nominalBitrate = 64;
    RunResult run = Encode(s);
    EXPECT_EQ(run.result, 0) << run.messages;
    EXPECT_EQ(Inspect(run.bytes).frames, 22050);
}

TEST(EncodeStream, ReportsProgressAfterTenPacketsAndEndsOnce) {
    RawPcmSource source(1, ToneSamples(1, 44100, 5 * 44100, 440.0));
    ASSERT_TRUE(source.opened());
    EncoderSettings s;
    source.fill(s, 44100);
    s.totalFrames = 5 * 44100;
    std::vector<std::int64_t> progress;
    s.onProgress = [&](const std::string&, std::int32_t total, std::int64_t done, double seconds) {
        EXPECT_EQ(total, 5 * 44100);
        EXPECT_GE(seconds, 1.0);
        progress.push_back(done);
    };
    int ends = 0;
    std::int64_t endFrames = 0, endBytes = 0;
    s.onEnd = [&](const std::string&, double, std::int32_t rate, std::int64_t frames,
                  std::int64_t bytes) {
        ++ends;
        EXPECT_EQ(rate, 44100);
        endFrames = frames;
        endBytes = bytes;
    };
    RunResult run = Encode(s);
    ASSERT_EQ(run.result, 0);
    ASSERT_FALSE(progress.empty());
    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i], progress[i - 1]);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(endFrames, 5 * 44100);
    EXPECT_GT(endBytes, 0);
    EXPECT_LT(endBytes, static_cast<std::int64_t>(run.bytes.size())); // headers not counted
}

TEST(EncodeStream, FullDiskFailsThroughTheErrorCallback) {
#ifdef _WIN32
    // No /dev/full on Windows: a pipe without its reader refuses every write.
    int fds[2];
    ASSERT_EQ(_pipe(fds, 4096, _O_BINARY), 0);
    _close(fds[0]);
    std::FILE* full = _fdopen(fds[1], "wb");
#else
    std::FILE* full = std::fopen("/dev/full", "wb");
#endif
    ASSERT_TRUE(full);
    RawPcmSource source(1, ToneSamples(1, 44100, 10 * 44100, 440.0));
    ASSERT_TRUE(source.opened());
    EncoderSettings s;
    source.fill(s, 44100);
    s.output = full;
    std::vector<std::string> errors;
    s.onError = [&](const char* message) { errors.push_back(message); };
    EXPECT_EQ(encodeStream(s), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0] == "Failed writing data to output stream\n" ||
                errors[0] == "Failed writing header to output stream\n")
        << errors[0];
    std::fclose(full);
}

} // namespace
