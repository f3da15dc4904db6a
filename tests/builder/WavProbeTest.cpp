#include "builder/SongSlot.h"
#include "tests/builder/FifoWatch.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

namespace {

// A WAV header written field by field, so each case can bend one rule.
struct HeaderFields {
    std::string riff = "RIFF";
    std::string wave = "WAVE";
    std::string formatId = "fmt ";
    std::uint32_t formatSize = 16;
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t byteRate = 88200;
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
    PutLE32(out, 44100);
    PutLE32(out, fields.byteRate);
    PutLE16(out, 2);
    PutLE16(out, 16);
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
};

HeaderFields With(void (*change)(HeaderFields&)) {
    HeaderFields fields;
    change(fields);
    return fields;
}

std::vector<ProbeCase> ProbeCases() {
    return {
        {"mono16_10MB", HeaderBytes({}), true, "Ok", 113},
        {"format18", HeaderBytes(With([](HeaderFields& f) {
             f.formatSize = 18;
             f.extraFormatBytes = std::string(2, '\0');
         })),
         true, "Ok", 113},
        {"mono8", MakeWav(1, 22050, 8, std::string(22050 * 3, '\x80')), true, "Ok", 3},
        {"mono24", MakeWav(1, 48000, 24, std::string(48000 * 3 * 2, '\0')), true, "Ok", 2},
        {"listBetween", HeaderBytes(With([](HeaderFields& f) { f.chunkBeforeData = ListChunk(); })),
         false, "invalid format", 0},
        {"stereo", MakeWav(2, 44100, 16, std::string(44100 * 4, '\0')), false, "not mono", 0},
        {"stereoFloat", MakeWav(2, 44100, 32, std::string(800, '\0'), 3), false, "invalid format",
         0},
        {"floatTag3", MakeWav(1, 44100, 32, std::string(800, '\0'), 3), false, "invalid format", 0},
        {"zeroByteRate", HeaderBytes(With([](HeaderFields& f) { f.byteRate = 0; })), false,
         "invalid format", 0},
        {"notRiff", HeaderBytes(With([](HeaderFields& f) { f.riff = "RIFX"; })), false,
         "invalid format", 0},
        {"notWave", HeaderBytes(With([](HeaderFields& f) { f.wave = "AVI "; })), false,
         "invalid format", 0},
        {"factFirst", HeaderBytes(With([](HeaderFields& f) { f.formatId = "fact"; })), false,
         "invalid format", 0},
        {"noData", HeaderBytes(With([](HeaderFields& f) { f.dataId = "dat "; })), false,
         "invalid format", 0},
        {"formatSizeBackwards", HeaderBytes(With([](HeaderFields& f) { f.formatSize = 8; })), false,
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

TEST(Probe, NamedPipeFailsWithoutWaitingForAWriter) {
    TempFolder folder;
    SongSlot slot;
    EXPECT_FALSE(
        WaitedOnFifo(folder.file("pipe.wav"), [&] { slot.SetPath(folder.file("pipe.wav")); }));
    EXPECT_EQ(slot.status(), "invalid format");
}

TEST(Probe, ReplacedByStereoKeepsOldLength) {
    TempFolder folder;
    const std::string path = folder.file("song.wav");
    WriteFileBytes(path, HeaderBytes({}));
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
