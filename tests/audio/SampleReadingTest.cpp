#include "audio/SampleReading.h"
#include "tests/audio/ByteStream.h"

#include <bit>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct ConversionCase {
    const char* name;
    std::string bytes;
    int bits;
    bool bigEndian;
    bool isFloat;
    std::vector<float> expected; // mono
};

class SampleConversion : public testing::TestWithParam<ConversionCase> {};

std::string FloatBytes(float value) {
    auto raw = std::bit_cast<std::uint32_t>(value);
    std::string out;
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((raw >> shift) & 0xFF);
    return out;
}

TEST_P(SampleConversion, ScalesEachEncoding) {
    const ConversionCase& c = GetParam();
    ByteStream stream(c.bytes);
    ASSERT_TRUE(stream.get());
    PcmFileReader reader{1,
                         static_cast<std::int16_t>(c.bits),
                         0,
                         0,
                         stream.get(),
                         static_cast<std::uint16_t>(c.bigEndian)};
    std::vector<float> out(16, 99.0f);
    float* channels[] = {out.data()};
    auto read = c.isFloat ? readFloatFrames : readPcmFrames;
    ASSERT_EQ(read(&reader, channels, 16), static_cast<std::int32_t>(c.expected.size()));
    for (std::size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_EQ(out[i], c.expected[i]) << "sample " << i;
    EXPECT_EQ(reader.framesRead, static_cast<std::int32_t>(c.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Encodings, SampleConversion,
                         testing::Values(ConversionCase{"Wav8BitUnsigned",
                                                        std::string("\x00\x80\xFF", 3),
                                                        8,
                                                        false,
                                                        false,
                                                        {-1.0f, 0.0f, 0.9921875f}},
                                         ConversionCase{"Aiff8BitSigned",
                                                        std::string("\x80\x00\x7F", 3),
                                                        8,
                                                        true,
                                                        false,
                                                        {-1.0f, 0.0f, 0.9921875f}},
                                         ConversionCase{"Pcm16LittleEndian",
                                                        std::string("\x00\x80\xFF\x7F\x00\x40", 6),
                                                        16,
                                                        false,
                                                        false,
                                                        {-1.0f, 0.999969482421875f, 0.5f}},
                                         ConversionCase{"Pcm16BigEndian",
                                                        std::string("\x80\x00\x7F\xFF\x40\x00", 6),
                                                        16,
                                                        true,
                                                        false,
                                                        {-1.0f, 0.999969482421875f, 0.5f}},
                                         ConversionCase{"FloatUnchangedUnclamped",
                                                        FloatBytes(1.5f) + FloatBytes(-2.25f),
                                                        32,
                                                        false,
                                                        true,
                                                        {1.5f, -2.25f}},
                                         ConversionCase{"TrailingPartialFrameDropped",
                                                        std::string("\x00\x40\x00", 3),
                                                        16,
                                                        false,
                                                        false,
                                                        {0.5f}}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(SampleReading, SplitsInterleavedFramesIntoChannels) {
    ByteStream stream(std::string("\x00\x40\x00\xC0\x00\x20\x00\xE0", 8));
    ASSERT_TRUE(stream.get());
    PcmFileReader reader{2, 16, 0, 0, stream.get(), 0};
    float left[4], right[4];
    float* channels[] = {left, right};
    ASSERT_EQ(readPcmFrames(&reader, channels, 4), 2);
    EXPECT_EQ(left[0], 0.5f);
    EXPECT_EQ(right[0], -0.5f);
    EXPECT_EQ(left[1], 0.25f);
    EXPECT_EQ(right[1], -0.25f);
}

TEST(SampleReading, StopsAtTotalFramesEvenWhenMoreBytesFollow) {
    ByteStream stream(std::string(2 * 1500, '\x11'));
    ASSERT_TRUE(stream.get());
    PcmFileReader reader{1, 16, 1000, 0, stream.get(), 0};
    std::vector<float> out(1024);
    float* channels[] = {out.data()};
    EXPECT_EQ(readPcmFrames(&reader, channels, 1024), 1000);
    EXPECT_EQ(readPcmFrames(&reader, channels, 1024), 0);
    EXPECT_EQ(reader.framesRead, 1000);
}

TEST(SampleReading, UnknownLengthReadsToTheEndOfTheFile) {
    ByteStream stream(std::string(2 * 1500, '\x11'));
    ASSERT_TRUE(stream.get());
    PcmFileReader reader{1, 16, 0, 0, stream.get(), 0};
    std::vector<float> out(1024);
    float* channels[] = {out.data()};
    EXPECT_EQ(readPcmFrames(&reader, channels, 1024), 1024);
    EXPECT_EQ(readPcmFrames(&reader, channels, 1024), 476);
    EXPECT_EQ(readPcmFrames(&reader, channels, 1024), 0);
}

TEST(SampleReading, ManyChannelsReadInPiecesWithoutLosingFrames) {
    // 300 channels x 2 bytes: more than one scratch piece per request.
    const int channelCount = 300, frames = 40;
    std::string bytes;
    for (int i = 0; i < frames; ++i)
        for (int j = 0; j < channelCount; ++j) {
            bytes += static_cast<char>(0);
            bytes += static_cast<char>(j % 2 ? 0x40 : i);
        }
    ByteStream stream(bytes);
    ASSERT_TRUE(stream.get());
    PcmFileReader reader{channelCount, 16, 0, 0, stream.get(), 0};
    std::vector<std::vector<float>> storage(channelCount, std::vector<float>(64));
    std::vector<float*> channels;
    for (auto& channel : storage)
        channels.push_back(channel.data());
    ASSERT_EQ(readPcmFrames(&reader, channels.data(), 64), frames);
    EXPECT_EQ(storage[0][39], 39 * 256 / 32768.0f);
    EXPECT_EQ(storage[299][39], 0.5f);
}

} // namespace
