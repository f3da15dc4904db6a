#include "builder/ProjectPaths.h"
#include "builder/SongProject.h"
#include "common/FileError.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

void PutString(std::string& out, const std::string& text) {
    PutLE32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

void PutRecord(std::string& out, const std::string& path, const std::string& title, float length) {
    PutString(out, path);
    PutString(out, title);
    PutLE32(out, std::bit_cast<std::uint32_t>(length));
}

std::string ClearedRecords(int count) {
    std::string out;
    for (int index = 0; index < count; ++index)
        PutRecord(out, "", "empty slot", 0);
    return out;
}

std::string MonoWav(const TempFolder& folder, const std::string& name, int seconds) {
    const std::string path = folder.file(name);
    WriteFileBytes(path, MakeWav(1, 8000, 16, std::string(16000u * seconds, '\0')));
    return path;
}

TEST(ProjectFile, NewProjectIs360Bytes) {
    TempFolder folder;
    SongProject project;
    project.SetPath(folder.file("new.velkp"));
    ASSERT_TRUE(project.Save());

    std::string expected("\x02\0\0\0\x04\0\0\0", 8);
    for (int slot = 0; slot < 16; ++slot)
        expected += std::string("\0\0\0\0\x0A\0\0\0empty slot\0\0\0\0", 22);
    const std::string bytes = ReadFileBytes(project.path());
    EXPECT_EQ(bytes.size(), 360u);
    EXPECT_EQ(bytes, expected);
}

TEST(ProjectFile, SaveLoadRoundTripKeepsOrderAndReprobes) {
    TempFolder folder;
    SongProject project;
    project.SetQuality(7);
    project.SlotAt(1).SetPath(MonoWav(folder, "one.wav", 3));
    project.SlotAt(1).SetTitle("Song \"one\"");
    project.SlotAt(2).SetPath(MonoWav(folder, "two.wav", 5));
    project.SlotAt(2).SetTitle(std::string(300, 'x')); // nothing is cut
    ASSERT_TRUE(project.MoveDown(project.SlotAt(1)));
    project.SetPath(folder.file("p.velkp"));
    ASSERT_TRUE(project.Save());
    ASSERT_EQ(::remove(folder.file("two.wav").c_str()), 0); // moved away since saving

    SongProject loaded;
    ASSERT_TRUE(loaded.Load(project.path()));
    EXPECT_EQ(loaded.path(), project.path());
    EXPECT_EQ(loaded.quality(), 7);
    for (int position = 1; position <= 16; ++position) {
        EXPECT_EQ(loaded.SlotAt(position).title(), project.SlotAt(position).title());
        EXPECT_EQ(loaded.SlotAt(position).path(), project.SlotAt(position).path());
        EXPECT_EQ(loaded.SlotAt(position).length(), project.SlotAt(position).length());
    }
    EXPECT_EQ(loaded.SlotAt(1).status(), "invalid format"); // gone, keeps stored length 5
    EXPECT_EQ(loaded.SlotAt(1).length(), 5.0f);
    EXPECT_EQ(loaded.SlotAt(2).status(), "Ok");
    EXPECT_EQ(loaded.SlotAt(3).status(), "invalid format"); // cleared slots are probed too
}

TEST(ProjectFile, LoadTakesProbedLengthOverStoredOne) {
    TempFolder folder;
    std::string bytes("\x02\0\0\0\x04\0\0\0", 8);
    PutRecord(bytes, MonoWav(folder, "a.wav", 2), "A", 99);
    bytes += ClearedRecords(15);
    WriteFileBytes(folder.file("p.velkp"), bytes);
    SongProject project;
    ASSERT_TRUE(project.Load(folder.file("p.velkp")));
    EXPECT_EQ(project.SlotAt(1).length(), 2.0f);
}

struct VersionCase {
    std::int32_t version;
    bool hasQuality;
    std::int32_t quality;
    std::int32_t expectedQuality;
};

class ProjectVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(ProjectVersionTest, QualityFieldOnlyFromVersionTwo) {
    TempFolder folder;
    std::string bytes;
    PutLE32(bytes, static_cast<std::uint32_t>(GetParam().version));
    if (GetParam().hasQuality)
        PutLE32(bytes, static_cast<std::uint32_t>(GetParam().quality));
    PutRecord(bytes, "", "First", 12);
    bytes += ClearedRecords(15);
    WriteFileBytes(folder.file("v.velkp"), bytes);

    SongProject project;
    ASSERT_TRUE(project.Load(folder.file("v.velkp")));
    EXPECT_EQ(project.quality(), GetParam().expectedQuality);
    EXPECT_EQ(project.SlotAt(1).title(), "First");
    EXPECT_EQ(project.SlotAt(1).length(), 12.0f);
    EXPECT_EQ(project.SlotAt(16).title(), "empty slot");
}

INSTANTIATE_TEST_SUITE_P(Versions, ProjectVersionTest,
                         testing::Values(VersionCase{2, true, 4, 4}, VersionCase{2, true, 0, 0},
                                         VersionCase{2, true, 50, 50}, VersionCase{3, true, 9, 9},
                                         VersionCase{1, false, 0, 4}, VersionCase{0, false, 0, 4},
                                         VersionCase{-5, false, 0, 4}),
                         [](const auto& tested) {
                             const VersionCase& c = tested.param;
                             return "Version" + NumberName(c.version) +
                                    (c.hasQuality ? "Quality" + NumberName(c.quality)
                                                  : "NoQuality");
                         });

TEST(ProjectFile, NegativeCountIsEmptyString) {
    TempFolder folder;
    std::string bytes("\x02\0\0\0\x05\0\0\0", 8);
    PutLE32(bytes, 0xFFFFFFFF); // path count -1, no text
    PutString(bytes, "After");
    PutLE32(bytes, 0);
    bytes += ClearedRecords(15);
    WriteFileBytes(folder.file("n.velkp"), bytes);
    SongProject project;
    ASSERT_TRUE(project.Load(folder.file("n.velkp")));
    EXPECT_EQ(project.SlotAt(1).path(), "");
    EXPECT_EQ(project.SlotAt(1).title(), "After");
}

TEST(ProjectFile, UnopenableFileFailsAndLeavesProjectReset) {
    TempFolder folder;
    SongProject project;
    project.SetQuality(8);
    project.SlotAt(1).SetTitle("x");
    EXPECT_FALSE(project.Load(folder.file("missing.velkp")));
    EXPECT_FALSE(project.Load(folder.path())); // a folder is no project file
    EXPECT_EQ(project.quality(), 4);
    EXPECT_EQ(project.path(), "");
    EXPECT_EQ(project.SlotAt(1).title(), "empty slot");
}

TEST(ProjectFile, ShorterThanFourBytesIsReadError) {
    TempFolder folder;
    WriteFileBytes(folder.file("s.velkp"), std::string("\x02\0", 2));
    SongProject project;
    EXPECT_THROW(project.Load(folder.file("s.velkp")), FileError);
    EXPECT_EQ(project.path(), folder.file("s.velkp"));
}

TEST(ProjectFile, CutInsideSlotSevenKeepsWhatWasRead) {
    TempFolder folder;
    const std::string song = MonoWav(folder, "a.wav", 4);
    std::string bytes("\x02\0\0\0\x06\0\0\0", 8);
    for (int slot = 1; slot <= 6; ++slot)
        PutRecord(bytes, song, "Song " + std::to_string(slot), 1);
    PutString(bytes, song);
    PutString(bytes, "Seven");
    bytes += "\x01\x02"; // the length field is cut
    WriteFileBytes(folder.file("cut.velkp"), bytes);

    SongProject project;
    project.SlotAt(10).SetTitle("stale");
    EXPECT_THROW(project.Load(folder.file("cut.velkp")), FileError);
    EXPECT_EQ(project.path(), folder.file("cut.velkp"));
    EXPECT_EQ(project.quality(), 6);
    for (int position = 1; position <= 6; ++position) {
        EXPECT_EQ(project.SlotAt(position).title(), "Song " + std::to_string(position));
        EXPECT_EQ(project.SlotAt(position).status(), "Ok");
        EXPECT_EQ(project.SlotAt(position).length(), 4.0f);
    }
    EXPECT_FALSE(project.SlotAt(7).valid());
    for (int position = 8; position <= 16; ++position) {
        EXPECT_EQ(project.SlotAt(position).title(), "empty slot");
        EXPECT_EQ(project.SlotAt(position).status(), "no file");
    }
}

TEST(ProjectFile, HugeStringCountIsReadErrorWithoutAllocating) {
    TempFolder folder;
    std::string bytes("\x02\0\0\0\x04\0\0\0", 8);
    PutLE32(bytes, 0x7FFFFFFF); // a 2 GiB path in a 300-byte file
    bytes.resize(300, 'p');
    WriteFileBytes(folder.file("big.velkp"), bytes);
    SongProject project;
    EXPECT_THROW(project.Load(folder.file("big.velkp")), FileError);
}

TEST(ProjectFile, BytesAfterLastRecordAreIgnored) {
    TempFolder folder;
    std::string bytes("\x02\0\0\0\x04\0\0\0", 8);
    bytes += ClearedRecords(16) + "trailing garbage";
    WriteFileBytes(folder.file("t.velkp"), bytes);
    SongProject project;
    EXPECT_TRUE(project.Load(folder.file("t.velkp")));
}

// A project with trims in slots 2 and 16 (one to the song's end, one beyond its song).
void Trim(SongProject& project, const TempFolder& folder) {
    project.SetQuality(6);
    project.SlotAt(2).SetPath(MonoWav(folder, "two.wav", 9));
    project.SlotAt(2).SetTitle("Two");
    project.SlotAt(2).SetTrim({1.5, 7.25, 0.5, 2});
    project.SlotAt(16).SetTrim({30, std::nullopt, 0, 4.1}); // no song: kept as stored
    project.SetPath(folder.file("trimmed.velkp"));
}

std::string TrimRecord(std::uint32_t start, std::uint32_t end, std::uint32_t in,
                       std::uint32_t out) {
    std::string bytes;
    for (std::uint32_t value : {start, end, in, out})
        PutLE32(bytes, value);
    return bytes;
}

TEST(ProjectFile, TrimsMakeVersionThreeTheVersionTwoLayoutAndATrimBlock) {
    TempFolder folder;
    SongProject untrimmed;
    Trim(untrimmed, folder);
    untrimmed.SlotAt(2).SetTrim({});
    untrimmed.SlotAt(16).SetTrim({});
    ASSERT_TRUE(untrimmed.Save());
    const std::string versionTwo = ReadFileBytes(untrimmed.path());
    EXPECT_EQ(versionTwo.substr(0, 4), std::string("\x02\0\0\0", 4));

    SongProject project;
    Trim(project, folder);
    ASSERT_TRUE(project.Save());
    std::string expected = "\x03" + versionTwo.substr(1) + "TRIM";
    for (int slot = 1; slot <= 16; ++slot)
        expected += slot == 2    ? TrimRecord(1500, 7250, 500, 2000)
                    : slot == 16 ? TrimRecord(30000, 0, 0, 4100)
                                 : TrimRecord(0, 0, 0, 0);
    EXPECT_EQ(ReadFileBytes(project.path()), expected);

    // The original program reads a version above 2 as version 2 and stops after the sixteenth
    // record: that part alone is the untrimmed project.
    WriteFileBytes(folder.file("as-the-original.velkp"),
                   "\x02" + expected.substr(1, versionTwo.size() - 1));
    SongProject original;
    ASSERT_TRUE(original.Load(folder.file("as-the-original.velkp")));
    EXPECT_EQ(original.quality(), 6);
    EXPECT_EQ(original.SlotAt(2).title(), "Two");
    EXPECT_EQ(original.SlotAt(2).length(), 9.0f);
    EXPECT_TRUE(original.SlotAt(2).trim().IsNone());

    SongProject loaded;
    ASSERT_TRUE(loaded.Load(project.path()));
    for (int position = 1; position <= 16; ++position)
        EXPECT_EQ(loaded.SlotAt(position).trim(), project.SlotAt(position).trim()) << position;
    EXPECT_EQ(loaded.SlotAt(2).title(), "Two");
    EXPECT_EQ(loaded.SlotAt(2).status(), "Ok");
}

struct DamagedTrimCase {
    std::string name;
    std::string afterRecords; // what follows the sixteenth record of a version-3 file
    bool refused;
};

class DamagedTrimBlockTest : public testing::TestWithParam<DamagedTrimCase> {};

// No block (nothing, or no tag, after the records) reads as the original reads the file; a
// block cut short is refused as damaged, like a file cut short. The songs stay, untrimmed.
TEST_P(DamagedTrimBlockTest, LeavesEverySlotUntrimmed) {
    TempFolder folder;
    std::string bytes("\x03\0\0\0\x05\0\0\0", 8);
    PutRecord(bytes, MonoWav(folder, "a.wav", 3), "First", 3);
    bytes += ClearedRecords(15) + GetParam().afterRecords;
    WriteFileBytes(folder.file("d.velkp"), bytes);
    SongProject project;
    if (GetParam().refused)
        EXPECT_THROW(project.Load(folder.file("d.velkp")), FileError);
    else
        EXPECT_TRUE(project.Load(folder.file("d.velkp")));
    EXPECT_EQ(project.quality(), 5);
    EXPECT_EQ(project.SlotAt(1).title(), "First");
    EXPECT_EQ(project.SlotAt(1).status(), "Ok");
    for (int position = 1; position <= 16; ++position)
        EXPECT_TRUE(project.SlotAt(position).trim().IsNone()) << position;
}

std::string FullTrimBlock() {
    std::string block = "TRIM";
    for (int slot = 0; slot < 16; ++slot)
        block += TrimRecord(1000, 2000, 0, 0);
    return block;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, DamagedTrimBlockTest,
    testing::Values(DamagedTrimCase{"Missing", "", false}, DamagedTrimCase{"ShortTag", "TR", false},
                    DamagedTrimCase{"OtherTag", "TRAP" + FullTrimBlock().substr(4), false},
                    DamagedTrimCase{"OnlyTheTag", "TRIM", true},
                    DamagedTrimCase{"CutInTheLastRecord",
                                    FullTrimBlock().substr(0, FullTrimBlock().size() - 3), true}),
    [](const auto& tested) { return tested.param.name; });

TEST(ProjectFile, SaveFailsWhenFileCannotBeCreated) {
    TempFolder folder;
    SongProject project;
    project.SetPath(folder.file("no/such/folder/p.velkp"));
    EXPECT_FALSE(project.Save());
    project.SetPath("");
    EXPECT_FALSE(project.Save());
}

TEST(ProjectFile, WriteErrorAfterOpenThrows) {
    SongProject project;
    project.SetPath("/dev/full");
    EXPECT_THROW(project.Save(), FileError);
}

} // namespace

// Paths: UTF-8 as written on Linux and Windows; Windows-1252 as the original program wrote them.
TEST(ProjectFile, SongPathsFromEverySystemFindTheirSongs) {
    TempFolder folder;
    const std::string song = MonoWav(folder, "Caf\xC3\xA9 Sa\xC3\xAFgon.wav", 1);
    const std::string folderBytes = folder.path() + "/";
    const std::pair<std::string, std::string> cases[] = {
        {song, song},                                              // UTF-8
        {folderBytes + "Caf\xE9 Sa\xEFgon.wav", song},              // Windows-1252
        {folderBytes + "gone \xE9.wav", folderBytes + "gone \xC3\xA9.wav"}, // missing: still read
    };
    // Relative, as an earlier Korvane stored them: read from the project's folder.
    const std::pair<std::string, std::string> relative[] = {
        {"Caf\xC3\xA9 Sa\xC3\xAFgon.wav", SystemSeparators(song)},
        {"Caf\xE9 Sa\xEFgon.wav", SystemSeparators(song)},
    };
    std::vector<std::pair<std::string, std::string>> all(std::begin(cases), std::end(cases));
    all.insert(all.end(), std::begin(relative), std::end(relative));
    for (const auto& [stored, expected] : all) {
        std::string bytes("\x02\0\0\0\x04\0\0\0", 8);
        PutRecord(bytes, stored, "T", 0);
        bytes += ClearedRecords(15);
        WriteFileBytes(folder.file("p.velkp"), bytes);
        SongProject project;
        ASSERT_TRUE(project.Load(folder.file("p.velkp")));
        EXPECT_EQ(project.SlotAt(1).path(), expected);
        EXPECT_EQ(project.SlotAt(1).valid(), stored != cases[2].first) << stored;
    }
}
