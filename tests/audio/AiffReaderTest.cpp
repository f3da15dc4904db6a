#include "audio/AiffReader.h"
#include "audio/InputFormat.h"
#include "audio/SampleReading.h"
#include "tests/audio/ByteStream.h"
#include "tests/support/AiffFixture.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

namespace {

const char* const kSonvex = "Warning: Sonvex does not support this type of AIFF/AIFC file\n Must "
                            "be 8 or 16 bit PCM.\n";
const char* const kChunkEof = "Warning: Unexpected EOF in AIFF chunk\n";

const std::string kSamples(8, '\x02'); // 4 mono 16-bit frames

std::string Comm16(std::uint32_t frames = 4) {
    return AiffChunk("COMM", CommBody(1, frames, 16, 44100));
}

std::string Ssnd() {
    return AiffChunk("SSND", SsndBody(kSamples));
}

// A chunk with a length field that need not match its body.
std::string ChunkClaiming(const std::string& id, std::uint32_t length, const std::string& body) {
    std::string out = id;
    PutBE32(out, length);
    return out + body;
}

struct AiffCase {
    const char* name;
    std::string bytes;
    bool opens;
    std::string messages; // everything written to standard error, exactly
    int channels = 0;
    int rate = 0;
    int totalFrames = 0;
};

class AiffOpen : public testing::TestWithParam<AiffCase> {};

TEST_P(AiffOpen, OpensOrFailsWithItsMessages) {
    const AiffCase& c = GetParam();
    ByteStream stream(c.bytes);
    ASSERT_TRUE(stream.get());
    AudioSource source;
    testing::internal::CaptureStderr();
    const InputFormat* format = openAudioFile(stream.get(), source);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.messages);
    if (!c.opens) {
        EXPECT_EQ(format, nullptr);
        return;
    }
    ASSERT_NE(format, nullptr);
    EXPECT_STREQ(format->name, "aiff");
    EXPECT_EQ(source.channels, c.channels);
    EXPECT_EQ(source.rate, c.rate);
    EXPECT_EQ(source.totalFrames, c.totalFrames);
    ASSERT_TRUE(source.readerState);
    EXPECT_EQ(source.readerState->bigEndian, 1);
    format->close(source.readerState);
}

std::string InfiniteRateComm() {
    std::string body = CommBody(1, 4, 16, 44100);
    body.replace(8, 10, std::string("\x7F\xFF\x80\0\0\0\0\0\0\0", 10));
    return AiffChunk("COMM", body);
}

const AiffCase kAiffCases[] = {
    {"PlainAiff", AiffForm(Comm16() + Ssnd()), true, "", 1, 44100, 4},
    {"ShortHeader", std::string("FORM\0\0\0\0AIF", 11), false, ""},
    {"FormButNot'Aif'", "FORM" + std::string(4, '\0') + "AIFX" + Comm16() + Ssnd(), false, ""},
    {"AifcUncompressed",
     AiffForm(AiffChunk("COMM", CommBody(2, 2, 16, 22050, "NONE")) + Ssnd(), true), true, "", 2,
     22050, 2},
    {"AifcSowt", AiffForm(AiffChunk("COMM", CommBody(1, 4, 16, 44100, "sowt")) + Ssnd(), true),
     false, "Warning: Can't handle compressed AIFF-C\n"},
    {"AifcCommWithoutCompressionType", AiffForm(Comm16() + Ssnd(), true), false,
     "Warning: AIFF-C header truncated.\n"},
    {"CommShorterThan18",
     AiffForm(AiffChunk("COMM", CommBody(1, 4, 16, 44100).substr(0, 16)) + Ssnd()), false,
     "Warning: Truncated common chunk in AIFF header\n"},
    {"NoCommonChunk", AiffForm(Ssnd()), false,
     std::string(kChunkEof) + "Warning: No common chunk found in AIFF file\n"},
    {"NoSoundDataChunk", AiffForm(Comm16()), false,
     std::string(kChunkEof) + "Warning: No SSND chunk found in AIFF file\n"},
    {"SoundDataShorterThan8", AiffForm(Comm16() + AiffChunk("SSND", "1234")), false,
     "Warning: Corrupted SSND chunk in AIFF header\n"},
    {"SoundDataPrefixCutShort", AiffForm(Comm16() + ChunkClaiming("SSND", 8, "1234")), false,
     "Warning: Unexpected EOF reading AIFF header\n"},
    {"BlockSizeNotZero", AiffForm(Comm16() + AiffChunk("SSND", SsndBody(kSamples, 0, 8))), false,
     kSonvex},
    {"TwentyFourBit", AiffForm(AiffChunk("COMM", CommBody(1, 4, 24, 44100)) + Ssnd()), false,
     kSonvex},
    {"ZeroChannels", AiffForm(AiffChunk("COMM", CommBody(0, 4, 16, 44100)) + Ssnd()), false,
     kSonvex},
    {"OddChunkIsPadded", AiffForm(AiffChunk("ANNO", "odd") + Comm16() + Ssnd()), true, "", 1, 44100,
     4},
    {"CommClaimingGigabytes",
     AiffForm(ChunkClaiming("COMM", 0xFFFFFF00u, CommBody(1, 4, 16, 44100)) + Ssnd()), false,
     "Warning: Unexpected EOF in reading AIFF header\n"},
    {"HugeChunkBeforeComm", AiffForm(ChunkClaiming("ANNO", 0xFFFFFFFFu, "") + Comm16()), false,
     std::string(kChunkEof) + "Warning: No common chunk found in AIFF file\n"},
    {"InfiniteRateGivesNoRate", AiffForm(InfiniteRateComm() + Ssnd()), true, "", 1, 0, 4},
    {"FrameCountAbove2To31IsCapped",
     AiffForm(AiffChunk("COMM", CommBody(1, 0xFFFFFFF0u, 16, 8000)) + Ssnd()), true, "", 1, 8000,
     0x7FFFFFFF},
};

INSTANTIATE_TEST_SUITE_P(Headers, AiffOpen, testing::ValuesIn(kAiffCases), [](const auto& tested) {
    std::string name = tested.param.name;
    std::erase(name, '\'');
    return name;
});

TEST(AiffReader, SkipsTheDataOffsetToTheFirstSample) {
    std::string samples;
    PutBE16(samples, 0x4000);
    PutBE16(samples, 0xC000);
    ByteStream stream(AiffForm(AiffChunk("COMM", CommBody(1, 2, 16, 44100)) +
                               AiffChunk("SSND", SsndBody(samples, 6)) +
                               AiffChunk("ANNO", "trailing")));
    ASSERT_TRUE(stream.get());
    AudioSource source;
    const InputFormat* format = openAudioFile(stream.get(), source);
    ASSERT_NE(format, nullptr);
    float mono[8];
    float* channels[] = {mono};
    EXPECT_EQ(source.read(source.readerState.get(), channels, 8), 2);
    EXPECT_FLOAT_EQ(mono[0], 0.5f);
    EXPECT_FLOAT_EQ(mono[1], -0.5f);
    format->close(source.readerState);
}

struct RateCase {
    std::string bytes;
    double value;
    std::int32_t rate;
};

class Extended80Rate : public testing::TestWithParam<RateCase> {};

TEST_P(Extended80Rate, ConvertsToDoubleAndToARate) {
    const RateCase& c = GetParam();
    ASSERT_EQ(c.bytes.size(), 10u);
    auto bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
    EXPECT_EQ(readExtended80(bytes), c.value);
    EXPECT_EQ(sampleRateFromExtended80(bytes), c.rate);
}

const double kInfinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, Extended80Rate,
    testing::Values(RateCase{std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10), 44100.0, 44100},
                    RateCase{Extended80(22050), 22050.0, 22050},
                    RateCase{std::string(10, '\0'), 0.0, 0},
                    // The sign bit is ignored for finite values.
                    RateCase{std::string("\xC0\x0E\xAC\x44\0\0\0\0\0\0", 10), 44100.0, 44100},
                    // 22050.5 truncates toward zero.
                    RateCase{std::string("\x40\x0D\xAC\x45\0\0\0\0\0\0", 10), 22050.5, 22050},
                    RateCase{std::string("\x7F\xFF\x80\0\0\0\0\0\0\0", 10), kInfinity, 0},
                    RateCase{std::string("\xFF\xFF\x80\0\0\0\0\0\0\0", 10), kInfinity, 0},
                    RateCase{std::string("\xFF\xFF\x00\0\0\0\0\0\0\0", 10), -kInfinity, 0},
                    RateCase{Extended80(0x80000000u), 2147483648.0, 0}),
    [](const auto& tested) {
        const char digits[] = "0123456789ABCDEF";
        std::string name = "Bytes";
        for (unsigned char byte : tested.param.bytes)
            name += std::string(1, digits[byte >> 4]) + digits[byte & 15];
        return name;
    });

} // namespace
