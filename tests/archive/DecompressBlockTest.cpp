#include "archive/DecompressBlock.h"
#include "tests/archive/ArchiveFixture.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct Decoded {
    int code;
    std::string output;
};

// Decodes with buffers of exactly the stated sizes, so that the sanitizer build catches any
// read or write outside them. The output starts filled with a marker byte.
Decoded Decode(const std::string& stream, std::uint32_t decompressedSize) {
    std::vector<std::uint8_t> in(stream.begin(), stream.end());
    std::vector<std::uint8_t> out(decompressedSize, 0xAA);
    const int code = DecompressBlock(in.data(), out.data(), static_cast<std::uint32_t>(in.size()),
                                     decompressedSize);
    return {code, std::string(out.begin(), out.end())};
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

const std::string kAbcBlock = Bytes({0x14, 0x61, 0x62, 0x63, 0xA8, 0x00, 0x11, 0x00, 0x00});

struct BlockCase {
    const char* what;
    std::string stream;
    std::uint32_t decompressedSize;
    int code;
    std::string output; // checked on success only
};

class BlockExamples : public testing::TestWithParam<BlockCase> {};

TEST_P(BlockExamples, GiveTheDocumentedCodeAndBytes) {
    const BlockCase& example = GetParam();
    const Decoded decoded = Decode(example.stream, example.decompressedSize);
    EXPECT_EQ(decoded.code, example.code) << example.what;
    if (example.code == kBlockDecoded) {
        EXPECT_EQ(decoded.output, example.output) << example.what;
    }
}

std::string LongLiteralThenFarCopy(std::size_t literals) {
    // A literal run of 255k + x + 18 bytes, a three-byte copy from 2049 bytes back, the end.
    const std::size_t k = (literals - 18) / 255;
    std::string stream = Bytes({0x00}) + std::string(k, '\0');
    stream.push_back(static_cast<char>(literals - 18 - 255 * k));
    stream += SampleData(SampleKind::Random, literals, 7);
    return stream + Bytes({0x00, 0x00, 0x11, 0x00, 0x00});
}

std::string FarCopyResult(std::size_t literals) {
    const std::string data = SampleData(SampleKind::Random, literals, 7);
    return data + data.substr(literals - 2049, 3);
}

// 16400 literals, then a long-distance match of 4 bytes from 16385 back.
std::string LongDistanceMatch(int instruction) {
    std::string stream = Bytes({0x00}) + std::string(64, '\0') + Bytes({62});
    stream += SampleData(SampleKind::Text, 16400, 3);
    return stream + Bytes({instruction, 0x04, 0x00, 0x11, 0x00, 0x00});
}

std::string LongDistanceResult() {
    const std::string data = SampleData(SampleKind::Text, 16400, 3);
    return data + data.substr(15, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, BlockExamples,
    testing::Values(
        BlockCase{"literals, match at distance 3, end", kAbcBlock, 9, kBlockDecoded, "abcabcabc"},
        BlockCase{"ends early: zero padded", kAbcBlock, 16, kBlockDecoded,
                  "abcabcabc" + std::string(7, '\0')},
        BlockCase{"end marker alone", Bytes({0x11, 0x00, 0x00}), 0, kBlockDecoded, ""},
        BlockCase{"match before the output", Bytes({0x12, 0x61, 0xA8, 0x00, 0x11, 0x00, 0x00}), 16,
                  kBlockLookBehindOverrun, ""},
        BlockCase{"source checked before length", Bytes({0x12, 0x61, 0xA8, 0x00, 0x11, 0x00, 0x00}),
                  1, kBlockLookBehindOverrun, ""},
        BlockCase{"output full, bytes after the marker", kAbcBlock + "xyz", 9, kBlockDecoded,
                  "abcabcabc"},
        BlockCase{"three bytes after the marker", kAbcBlock + "xyz", 16, kBlockInputNotConsumed,
                  ""},
        BlockCase{"two bytes after the marker", kAbcBlock + "xy", 16, kBlockInputOverrun, ""},
        BlockCase{"one byte after the marker", kAbcBlock + "x", 16, kBlockInputOverrun, ""},
        BlockCase{"match beyond the output", kAbcBlock, 8, kBlockOutputOverrun, ""},
        BlockCase{"literals beyond the output", kAbcBlock, 2, kBlockOutputOverrun, ""},
        BlockCase{"literals beyond the input", Bytes({0x16, 0x61, 0x62}), 16, kBlockInputOverrun,
                  ""},
        BlockCase{"empty stream", "", 16, kBlockInputOverrun, ""},
        BlockCase{"distance 1 repeats one byte", Bytes({0x12, 0x61, 0xE0, 0x00, 0x11, 0x00, 0x00}),
                  9, kBlockDecoded, "aaaaaaaaa"},
        BlockCase{"trailing literal then near copy",
                  Bytes({0x14, 0x61, 0x62, 0x63, 0xA9, 0x00, 0x78, 0x04, 0x00, 0x11, 0x00, 0x00}),
                  12, kBlockDecoded, "abcabcabcxcx"},
        BlockCase{"near copy checks length first",
                  Bytes({0x12, 0x61, 0x04, 0x00, 0x11, 0x00, 0x00}), 2, kBlockOutputOverrun, ""},
        BlockCase{"near copy before the output", Bytes({0x12, 0x61, 0x04, 0x00, 0x11, 0x00, 0x00}),
                  16, kBlockLookBehindOverrun, ""},
        BlockCase{"extended match length",
                  Bytes({0x13, 0x61, 0x62, 0x20, 0x00, 0x05, 0x04, 0x00, 0x11, 0x00, 0x00}), 295,
                  kBlockDecoded,
                  [] {
                      std::string s;
                      while (s.size() < 295)
                          s += "ab";
                      return s.substr(0, 295);
                  }()},
        BlockCase{"extended match length cut short",
                  Bytes({0x13, 0x61, 0x62, 0x20, 0x00, 0x00, 0x00}), 400, kBlockInputOverrun, ""},
        BlockCase{"match distance cut short", Bytes({0x13, 0x61, 0x62, 0x20, 0x05, 0x04}), 400,
                  kBlockInputOverrun, ""},
        BlockCase{"extended literal length cut short", Bytes({0x00, 0x00, 0x00}), 400,
                  kBlockInputOverrun, ""},
        BlockCase{"far copy after a long literal run", LongLiteralThenFarCopy(2100), 2103,
                  kBlockDecoded, FarCopyResult(2100)},
        BlockCase{"far copy beyond the output", LongLiteralThenFarCopy(2100), 2102,
                  kBlockOutputOverrun, ""},
        BlockCase{"far copy before the output", LongLiteralThenFarCopy(100), 200,
                  kBlockLookBehindOverrun, ""},
        BlockCase{"long-distance match", LongDistanceMatch(0x12), 16404, kBlockDecoded,
                  LongDistanceResult()},
        BlockCase{"bit 3 takes no part in the distance", LongDistanceMatch(0x1A), 16404,
                  kBlockDecoded, LongDistanceResult()}),
    [](const auto& tested) { return TestName(tested.param.what); });

struct RoundTripCase {
    SampleKind kind;
    LzoLevel level;
};

class LzoRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(LzoRoundTrip, BlocksFromLiblzoDecodeToTheOriginal) {
    const std::size_t sizes[] = {0,   1,    2,    3,    4,    5,     17,    18,    19,
                                 100, 1000, 2048, 2049, 4096, 16384, 16385, 32767, 32768};
    for (std::size_t size : sizes) {
        const std::string original = SampleData(GetParam().kind, size, static_cast<unsigned>(size));
        const std::string packed = LzoCompress(original, GetParam().level);
        ASSERT_LE(packed.size(), kMaxCompressedBlockSize);
        const Decoded decoded = Decode(packed, static_cast<std::uint32_t>(size));
        ASSERT_EQ(decoded.code, kBlockDecoded) << "size " << size;
        ASSERT_EQ(decoded.output, original) << "size " << size;
        if (size > 0) {
            EXPECT_EQ(Decode(packed, static_cast<std::uint32_t>(size - 1)).code,
                      kBlockOutputOverrun)
                << "size " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Data, LzoRoundTrip,
    testing::Values(RoundTripCase{SampleKind::Random, LzoLevel::Fast},
                    RoundTripCase{SampleKind::Runs, LzoLevel::Fast},
                    RoundTripCase{SampleKind::Text, LzoLevel::Fast},
                    RoundTripCase{SampleKind::Mixed, LzoLevel::Fast},
                    RoundTripCase{SampleKind::Random, LzoLevel::Best},
                    RoundTripCase{SampleKind::Runs, LzoLevel::Best},
                    RoundTripCase{SampleKind::Text, LzoLevel::Best},
                    RoundTripCase{SampleKind::Mixed, LzoLevel::Best}),
    [](const auto& tested) {
        const std::vector<std::string> kinds({"Random", "Runs", "Text", "Mixed"});
        return kinds[static_cast<int>(tested.param.kind)] +
               std::string(tested.param.level == LzoLevel::Fast ? "Fast" : "Best");
    });

const int kKnownCodes[] = {kBlockDecoded, kBlockInputOverrun, kBlockOutputOverrun,
                           kBlockLookBehindOverrun, kBlockInputNotConsumed};

bool IsKnownCode(int code) {
    return std::find(std::begin(kKnownCodes), std::end(kKnownCodes), code) != std::end(kKnownCodes);
}

TEST(DecompressBlockHostile, CutStreamsFailInsideTheirBuffers) {
    const std::string original = SampleData(SampleKind::Mixed, 6000, 11);
    const std::string packed = LzoCompress(original, LzoLevel::Fast);
    for (std::size_t length = 0; length < packed.size(); ++length) {
        const int code = Decode(packed.substr(0, length), 6000).code;
        ASSERT_NE(code, kBlockDecoded) << "cut at " << length;
        ASSERT_TRUE(IsKnownCode(code)) << "cut at " << length;
    }
}

} // namespace
