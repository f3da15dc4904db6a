#include "common/WavHeader.h"
#include "common/LittleEndian.h"

#include <gtest/gtest.h>

namespace {

// Byte for byte, from the RIFF/WAVE layout: the one header every WAV writer of the programs
// puts down, and the placeholder sizes the decoder writes before it knows its length.
TEST(WavHeaderTest, PcmHeadersAreTheDocumentedBytes) {
    using namespace std::string_literals;
    EXPECT_EQ(WavHeader::Pcm(2, 44100, 16, 8),
              "RIFF\x2C\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0"
              "data\x08\0\0\0"s);
    const std::string mono = WavHeader::Pcm(1, 22050, 16, 0x7FFFFFD3, 0x7FFFFFF7);
    ASSERT_EQ(mono.size(), WavHeader::kBytes);
    const auto* bytes = reinterpret_cast<const unsigned char*>(mono.data());
    EXPECT_EQ(LittleEndian32(bytes + 4), 0x7FFFFFF7u);
    EXPECT_EQ(LittleEndian16(bytes + 22), 1u);
    EXPECT_EQ(LittleEndian32(bytes + 28), 44100u); // byte rate
    EXPECT_EQ(LittleEndian16(bytes + 32), 2u);     // block align
    EXPECT_EQ(LittleEndian32(bytes + 40), 0x7FFFFFD3u);

    unsigned char put[4];
    PutLittleEndian32(put, 0x12345678);
    EXPECT_EQ(LittleEndian32(put), 0x12345678u);
    EXPECT_EQ(put[0], 0x78);
}

} // namespace
