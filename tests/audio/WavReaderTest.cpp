#include "audio/InputFormat.h"
#include "audio/SampleReading.h"
#include "tests/audio/ByteStream.h"
#include "tests/support/WavChunkFixture.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

namespace {

const char* const kInvalidFmt =
    "Warning: INVALID format chunk in wav header.\n Trying to read anyway (may not work)...\n";
const char* const kUnsupportedType = "ERROR: Wav file is unsupported type (must be standard "
                                     "PCM\n or type 3 floating point PCM\n";
const char* const kUnsupportedSubformat =
    "ERROR: Wav file is unsupported subformat (must be 16 bit PCM\nor floating point PCM\n";
const char* const kEof = "Warning: Unexpected EOF in reading WAV header\n";

const std::string kTenBytes(10, '\x01');

std::string MonoPcm16(const std::string& before, int fmtExtra = 0, int tag = 1) {
    return RiffWave(before + WavChunk("fmt ", FmtBody(tag, 1, 44100, 2, 16, fmtExtra)) +
                    WavChunk("data", kTenBytes));
}

struct WavCase {
    const char* name;
    std::string bytes;
    bool opens;
    std::string messages; // everything written to standard error, exactly
    int channels = 0;
    int rate = 0;
    int totalFrames = 0;
};

class WavOpen : public testing::TestWithParam<WavCase> {};

TEST_P(WavOpen, OpensOrFailsWithItsMessages) {
    const WavCase& c = GetParam();
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
    EXPECT_STREQ(format->name, "wav");
    EXPECT_EQ(source.channels, c.channels);
    EXPECT_EQ(source.rate, c.rate);
    EXPECT_EQ(source.totalFrames, c.totalFrames);
    ASSERT_TRUE(source.readerState);
    EXPECT_EQ(source.readerState->totalFrames, c.totalFrames);
    EXPECT_EQ(source.readerState->bigEndian, 0);
    format->close(source.readerState);
    EXPECT_FALSE(source.readerState);
}

const WavCase kWavCases[] = {
    {"ShorterThanHeader", std::string("RIFF\0\0\0\0WAV", 11), false, ""},
    {"ForeignFile", "OggS" + std::string(40, '\0'), false, ""},
    {"RiffButNotWave", "RIFF" + std::string(4, '\0') + "AVI LIST", false, ""},
    {"ListChunkSkippedOnce", MonoPcm16(WavChunk("LIST", kTenBytes)), true,
     "Skipping chunk of type \"LIST\", length 10\n", 1, 44100, 5},
    {"FormatLength18", MonoPcm16("", 2), true, "", 1, 44100, 5},
    {"FormatLength40Pcm", MonoPcm16("", 24), true, kInvalidFmt, 1, 44100, 5},
    {"FormatLength40Extensible", MonoPcm16("", 24, 0xFFFE), false,
     std::string(kInvalidFmt) + kUnsupportedType},
    {"FormatShorterThan16", RiffWave(WavChunk("fmt ", FmtBody(1, 1, 44100, 2, 16).substr(0, 14))),
     false, "Warning: Unrecognised format chunk in WAV header\n"},
    {"FormatBodyCutShort", RiffWave(WavChunkClaiming("fmt ", 16, "\x01\0\x01\0")), false, kEof},
    {"AdpcmTag", MonoPcm16("", 0, 2), false, kUnsupportedType},
    {"Pcm24Bit",
     RiffWave(WavChunk("fmt ", FmtBody(1, 1, 44100, 3, 24)) + WavChunk("data", kTenBytes)), false,
     kUnsupportedSubformat},
    {"WrongBlockAlign",
     RiffWave(WavChunk("fmt ", FmtBody(1, 1, 44100, 4, 16)) + WavChunk("data", kTenBytes)), false,
     kUnsupportedSubformat},
    {"ZeroChannels",
     RiffWave(WavChunk("fmt ", FmtBody(1, 0, 44100, 0, 16)) + WavChunk("data", kTenBytes)), false,
     kUnsupportedSubformat},
    {"Float16Bit",
     RiffWave(WavChunk("fmt ", FmtBody(3, 1, 44100, 4, 16)) + WavChunk("data", kTenBytes)), false,
     kUnsupportedSubformat},
    {"Float32Stereo",
     RiffWave(WavChunk("fmt ", FmtBody(3, 2, 48000, 8, 32)) +
              WavChunk("data", kTenBytes + "123456")),
     true, "", 2, 48000, 2},
    {"Pcm8Stereo",
     RiffWave(WavChunk("fmt ", FmtBody(1, 2, 22050, 2, 8)) + WavChunk("data", kTenBytes)), true, "",
     2, 22050, 5},
    {"DataBeforeFormat",
     RiffWave(WavChunk("data", "abcd") + WavChunk("fmt ", FmtBody(1, 1, 44100, 2, 16))), false,
     std::string("Skipping chunk of type \"data\", length 4\n") + kEof},
    {"DataLengthZeroMeasuresTheFile",
     RiffWave(WavChunk("fmt ", FmtBody(1, 1, 8000, 2, 16)) +
              WavChunkClaiming("data", 0, kTenBytes + "x")),
     true, "", 1, 8000, 5},
    {"OddChunkHasNoPadByte",
     RiffWave(WavChunk("junk", "abc") + WavChunk("fmt ", FmtBody(1, 1, 44100, 2, 16)) +
              WavChunk("data", kTenBytes)),
     true, "Skipping chunk of type \"junk\", length 3\n", 1, 44100, 5},
    {"OddChunkWithItsPadByte",
     RiffWave(WavChunk("junk", "abc") + std::string(1, '\0') +
              WavChunk("fmt ", FmtBody(1, 1, 44100, 2, 16)) + WavChunk("data", kTenBytes)),
     true, "Skipping chunk of type \"junk\", length 3\n", 1, 44100, 5},
    {"HugeChunkSkipsForwardToTheEnd",
     RiffWave(WavChunkClaiming("junk", 0xFFFFFFF0u, "") +
              WavChunk("fmt ", FmtBody(1, 1, 44100, 2, 16))),
     false, std::string("Skipping chunk of type \"junk\", length 4294967280\n") + kEof},
    {"DataLongerThanAnyFrameCount",
     RiffWave(WavChunk("fmt ", FmtBody(1, 1, 44100, 1, 8)) +
              WavChunkClaiming("data", 0xFFFFFFFFu, kTenBytes)),
     true, "", 1, 44100, 0x7FFFFFFF},
};

INSTANTIATE_TEST_SUITE_P(Headers, WavOpen, testing::ValuesIn(kWavCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(WavReader, LeavesTheStreamAtTheFirstSampleAfterSkippedChunks) {
    std::string samples = Pcm16Bytes({0x4000, -0x4000});
    ByteStream stream(RiffWave(WavChunk("LIST", "abcdefg") +
                               WavChunk("fmt ", FmtBody(1, 1, 44100, 2, 16, 2)) +
                               WavChunk("fact", "1234") + WavChunk("data", samples) +
                               WavChunk("LIST", "trailing metadata")));
    ASSERT_TRUE(stream.get());
    AudioSource source;
    testing::internal::CaptureStderr();
    const InputFormat* format = openAudioFile(stream.get(), source);
    testing::internal::GetCapturedStderr();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(source.read, &readPcmFrames);

    float left[4];
    float* channels[] = {left};
    EXPECT_EQ(source.read(source.readerState.get(), channels, 4), 2);
    EXPECT_FLOAT_EQ(left[0], 0.5f);
    EXPECT_FLOAT_EQ(left[1], -0.5f);
    EXPECT_EQ(source.read(source.readerState.get(), channels, 4), 0); // metadata stays out
    format->close(source.readerState);
}

} // namespace
