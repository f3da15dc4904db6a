#include "builder/SongSlot.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A WAV header written field by field, so each case can bend one rule.
struct HeaderFields {
    std::string riff = "RIFF";
    std::string wave = "WAVE";
    std::string formatId = "fmt ";
    std::uint32_t formatSize = 16;
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint32_t byteRate = 88200;
    std::uint16_t blockAlign = 2;
    std::uint16_t bits = 16;
    std::string extraFormatBytes;
    std::string chunkBeforeData;
    std::string dataId = "data";
    std::uint32_t dataSize = 10'000'000;
};

std::string HeaderBytes(const HeaderFields& fields) {
    std::string out = fields.riff;
    PutLE32(out, 0);
    out += fields.wave + fields.formatId;
    PutLE32(out, fields.formatSize);
    PutLE16(out, fields.formatTag);
    PutLE16(out, fields.channels);
    PutLE32(out, fields.rate);
    PutLE32(out, fields.byteRate);
    PutLE16(out, fields.blockAlign);
    PutLE16(out, fields.bits);
    out += fields.extraFormatBytes + fields.chunkBeforeData + fields.dataId;
    PutLE32(out, fields.dataSize);
    return out;
}

std::string ListChunk() {
    std::string chunk = "LIST";
    PutLE32(chunk, 4);
    return chunk + "INFO";
}

struct ProbeCase {
    const char* name;
    std::string bytes;
    bool valid;
    const char* status;
    float length;
    std::uint64_t dataPresent = 0; // zero bytes appended as a sparse tail of the file
};

HeaderFields With(void (*change)(HeaderFields&)) {
    HeaderFields fields;
    change(fields);
    return fields;
}

HeaderFields AtRate(std::uint32_t rate) {
    HeaderFields fields;
    fields.rate = rate;
    fields.dataSize = 4 * rate;
    return fields;
}

std::string OddChunk(bool padded) {
    std::string chunk = "junk";
    PutLE32(chunk, 3);
    return chunk + "abc" + (padded ? std::string(1, '\0') : "");
}

std::vector<ProbeCase> ProbeCases() {
    const std::uint32_t tenMegabytes = 10'000'000;
    return {
        {"mono16_10MB", HeaderBytes({}), true, "Ok", 113, tenMegabytes},
        {"format18", HeaderBytes(With([](HeaderFields& f) {
             f.formatSize = 18;
             f.extraFormatBytes = std::string(2, '\0');
         })),
         true, "Ok", 113, tenMegabytes},
        {"mono8", MakeWav(1, 22050, 8, std::string(22050 * 3, '\x80')), true, "Ok", 3},
        {"listBetween", HeaderBytes(With([](HeaderFields& f) { f.chunkBeforeData = ListChunk(); })),
         true, "Ok", 113, tenMegabytes},
        {"paddedOddChunk",
         HeaderBytes(With([](HeaderFields& f) { f.chunkBeforeData = OddChunk(true); })), true, "Ok",
         113, tenMegabytes},
        {"unpaddedOddChunk",
         HeaderBytes(With([](HeaderFields& f) { f.chunkBeforeData = OddChunk(false); })), true,
         "Ok", 113, tenMegabytes},
        {"claimsMoreThanThere", HeaderBytes({}), true, "Ok", 2, 88200 * 2 + 1},
        {"zeroByteRateField", HeaderBytes(With([](HeaderFields& f) { f.byteRate = 0; })), true,
         "Ok", 113, tenMegabytes},
        {"rate8000", HeaderBytes(AtRate(8000)), true, "Ok", 2, 4 * 8000},
        {"rate192000", HeaderBytes(AtRate(192000)), true, "Ok", 2, 4 * 192000},
        {"rate0", HeaderBytes(AtRate(0)), false, "invalid format", 0},
        {"rate1", HeaderBytes(AtRate(1)), false, "invalid format", 0, 4},
        {"rate7999", HeaderBytes(AtRate(7999)), false, "invalid format", 0, 4 * 7999},
        {"rate192001", HeaderBytes(AtRate(192001)), false, "invalid format", 0, 4 * 192001},
        {"rate1MHz", HeaderBytes(AtRate(1'000'000)), false, "invalid format", 0, 4'000'000},
        {"mono24", MakeWav(1, 48000, 24, std::string(48000 * 3 * 2, '\0')), false, "invalid format",
         0},
        {"mono32", MakeWav(1, 48000, 32, std::string(48000 * 4, '\0')), false, "invalid format", 0},
        {"blockAlignWrong", HeaderBytes(With([](HeaderFields& f) { f.blockAlign = 4; })), false,
         "invalid format", 0, tenMegabytes},
        {"stereo", MakeWav(2, 44100, 16, std::string(44100 * 4, '\0')), false, "not mono", 0},
        {"stereoFloat", MakeWav(2, 44100, 32, std::string(800, '\0'), 3), false, "invalid format",
         0},
        {"floatTag3", MakeWav(1, 44100, 32, std::string(800, '\0'), 3), false, "invalid format", 0},
        {"notRiff", HeaderBytes(With([](HeaderFields& f) { f.riff = "RIFX"; })), false,
         "invalid format", 0},
        {"notWave", HeaderBytes(With([](HeaderFields& f) { f.wave = "AVI "; })), false,
         "invalid format", 0},
        {"noFormat", HeaderBytes(With([](HeaderFields& f) { f.formatId = "fact"; })), false,
         "invalid format", 0},
        {"noData", HeaderBytes(With([](HeaderFields& f) { f.dataId = "dat "; })), false,
         "invalid format", 0},
        {"formatShorterThan16", HeaderBytes(With([](HeaderFields& f) { f.formatSize = 8; })), false,
         "invalid format", 0},
        {"formatSizePastEnd", HeaderBytes(With([](HeaderFields& f) { f.formatSize = 0xFFFFFFF0; })),
         false, "invalid format", 0},
        {"cutInFormat", HeaderBytes({}).substr(0, 30), false, "invalid format", 0},
        {"cutInData", HeaderBytes({}).substr(0, 42), false, "invalid format", 0},
        {"empty", "", false, "invalid format", 0},
    };
}

class ProbeTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, SetsValidStatusAndLength) {
    TempFolder folder;
    const std::string path = folder.file("song.wav");
    WriteFileBytes(path, GetParam().bytes);
    std::filesystem::resize_file(path, GetParam().bytes.size() + GetParam().dataPresent);
    SongSlot slot;
    slot.SetPath(path);
    EXPECT_EQ(slot.valid(), GetParam().valid);
    EXPECT_EQ(slot.status(), GetParam().status);
    EXPECT_EQ(slot.length(), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Headers, ProbeTest, testing::ValuesIn(ProbeCases()),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(Probe, UnopenablePathsAreInvalidFormat) {
    TempFolder folder;
    for (const std::string& path : {std::string(), folder.file("missing.wav"), folder.path()}) {
        SongSlot slot;
        slot.SetPath(path);
        EXPECT_FALSE(slot.valid()) << path;
        EXPECT_EQ(slot.status(), "invalid format") << path;
    }
}

TEST(Probe, ReplacedByStereoKeepsOldLength) {
    TempFolder folder;
    const std::string path = folder.file("song.wav");
    WriteFileBytes(path, HeaderBytes({}));
    std::filesystem::resize_file(path, 44 + 10'000'000);
    SongSlot slot;
    slot.SetPath(path);
    ASSERT_TRUE(slot.valid());
    WriteFileBytes(path, MakeWav(2, 44100, 16, std::string(44100 * 4 * 7, '\0')));
    slot.Probe();
    EXPECT_FALSE(slot.valid());
    EXPECT_EQ(slot.status(), "not mono");
    EXPECT_EQ(slot.length(), 113.0f);
}

} // namespace
