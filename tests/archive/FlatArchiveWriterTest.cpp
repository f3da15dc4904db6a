#include "archive/FlatArchiveWriter.h"
#include "tests/archive/ArchiveFixture.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

// The fixed header block as the format documents it, row by row.
std::string DocumentedHeaderBlock() {
    const char* rows = "00 00 00 00 8F AD B4 AB 0F B6 36 88 90 36 F7 C6 "
                       "93 30 39 AD 15 44 71 F0 CD DD A8 82 AF AB 21 AC "
                       "B4 54 3C 5D DD 66 9A C1 76 91 82 14 98 13 84 B9 "
                       "F1 73 5C 86 C7 72 19 63 3B 3F 7E 13 CB EA A8 51 "
                       "1B 1B F1 1F F5 04 15 5B 8E 94 93 93 0B ED 56 1A "
                       "43 19 95 5B C7 F8 F8 6E 20 7D FC E9 57 1A 98 F9 "
                       "BB 79 21 B1 DE 6D 6B A1 E1 28 31 AB F1 AE B6 12 "
                       "12 8A AD D4 1B BF 56 3A 02 01 EB AD 5A 25 3A CB "
                       "1A D7 93 BA A0 8B E4 BC F6 B6 23 04 53 3D EC C9 "
                       "E5 2D 6C 00 DA CA 12 48";
    std::string bytes;
    for (const char* p = rows; *p; p += (p[2] ? 3 : 2))
        bytes.push_back(static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16)));
    return bytes;
}

std::string Pack(const std::string& folder, const std::string& prefix, const std::string& out) {
    FlatArchiveWriter writer;
    writer.sourceFolder = folder;
    writer.namePrefix = prefix;
    EXPECT_TRUE(writer.WriteArchive(out));
    return ReadFileBytes(out);
}

TEST(FlatArchiveWriter, OneSmallFileGivesThe198ByteArchive) {
    TempFolder temp;
    ASSERT_TRUE(fs::create_directory(temp.file("src")));
    WriteFileBytes(temp.file("src/a.txt"), "abc");
    const std::string archive = Pack(temp.file("src"), "p", temp.file("out.velk"));

    const std::string header = DocumentedHeaderBlock();
    ASSERT_EQ(header.size(), 152u);
    const std::string expected = LE32(159) + header + "abc" + LE32(1) + LE32(7) + "p/a.txt" +
                                 LE32(3) + LE32(3) + LE32(156) + LE32(0) + LE32(0) +
                                 std::string("\x58\x5B\x85\x01", 4);
    ASSERT_EQ(expected.size(), 198u);
    EXPECT_EQ(archive, expected);
}

// The archive is always a new file: another name of the old one, or a link's target, keeps
// its bytes.
TEST(FlatArchiveWriter, OutputThatIsALinkLeavesTheOtherFileAlone) {
    for (bool hardLink : {true, false}) {
        TempFolder temp;
        ASSERT_TRUE(fs::create_directory(temp.file("src")));
        WriteFileBytes(temp.file("installed.rfa"), "the installed archive");
        if (hardLink)
            fs::create_hard_link(temp.file("installed.rfa"), temp.file("music.rfa"));
        else
            REQUIRE_LINK(MakeSymbolicLink(temp.file("installed.rfa"), temp.file("music.rfa")));
        const std::string archive = Pack(temp.file("src"), "music/US", temp.file("music.rfa"));
        EXPECT_EQ(archive.size(), 160u) << hardLink;
        EXPECT_FALSE(fs::is_symlink(temp.file("music.rfa")));
        EXPECT_EQ(ReadFileBytes(temp.file("installed.rfa")), "the installed archive");
    }
}

TEST(FlatArchiveWriter, EmptyOrMissingFolderGivesAnArchiveWithoutEntries) {
    TempFolder temp;
    ASSERT_TRUE(fs::create_directory(temp.file("empty")));
    const std::string expected = LE32(156) + DocumentedHeaderBlock() + LE32(0);
    EXPECT_EQ(Pack(temp.file("empty"), "velk", temp.file("a.velk")), expected);
    EXPECT_EQ(Pack(temp.file("missing"), "velk", temp.file("b.velk")), expected);
}

TEST(FlatArchiveWriter, FilesComeBeforeSubfoldersInByteOrderDepthFirst) {
    TempFolder temp;
    const std::string src = temp.file("src");
    ASSERT_TRUE(fs::create_directories(src + "/m/n"));
    ASSERT_TRUE(fs::create_directories(src + "/z"));
    ASSERT_TRUE(fs::create_directories(src + "/A"));
#ifdef _WIN32
    // One folder cannot hold both "B.txt" and "b.txt" there; "C.txt" still sorts first by byte.
    const std::string big = "C.txt";
#else
    const std::string big = "B.txt";
#endif
    const std::vector<std::pair<std::string, std::string>> files = {
        {"b.txt", "bee"},     {"a.txt", "a"},       {big, "BIG"},        {"z/1.txt", "one"},
        {"m/n/2.txt", "two"}, {"m/3.txt", "three"}, {"A/empty.bin", ""}, {"m/n/0", "zero"}};
    for (const auto& [name, data] : files)
        WriteFileBytes(src + "/" + name, data);

    const std::string archive = Pack(src, "music/US", temp.file("music.rfa"));
    const std::vector<ArchiveEntry> entries = ParseDirectory(archive);
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"music/US/" + big, "music/US/a.txt",
                                               "music/US/b.txt", "music/US/A/empty.bin",
                                               "music/US/m/3.txt", "music/US/m/n/0",
                                               "music/US/m/n/2.txt", "music/US/z/1.txt"}));

    // Data back to back from offset 156, each entry stored whole.
    std::uint32_t expectedOffset = 156;
    for (const ArchiveEntry& entry : entries) {
        const std::string source = ReadFileBytes(src + "/" + entry.name.substr(9));
        EXPECT_EQ(entry.dataOffset, expectedOffset) << entry.name;
        EXPECT_EQ(entry.storedSize, source.size()) << entry.name;
        EXPECT_EQ(entry.unpackedSize, source.size()) << entry.name;
        EXPECT_EQ(archive.substr(entry.dataOffset, entry.storedSize), source) << entry.name;
        expectedOffset += entry.storedSize;
    }
}

TEST(FlatArchiveWriter, PackingTwiceGivesTheSameBytes) {
    TempFolder temp;
    const std::string src = temp.file("src");
    ASSERT_TRUE(fs::create_directories(src + "/sub"));
    for (int i = 0; i < 12; ++i)
        WriteFileBytes(src + "/f" + std::to_string(i * 7 % 12),
                       SampleData(SampleKind::Mixed, 1000u * i, i));
    WriteFileBytes(src + "/sub/x", "x");
    const std::string first = Pack(src, "velk", temp.file("1.velk"));
    EXPECT_EQ(Pack(src, "velk", temp.file("2.velk")), first);
    EXPECT_EQ(Pack(src + "/", "velk", temp.file("3.velk")), first); // trailing separator
}

TEST(FlatArchiveWriter, OutputThatCannotBeCreatedOrWrittenFails) {
    TempFolder temp;
    ASSERT_TRUE(fs::create_directory(temp.file("src")));
    WriteFileBytes(temp.file("src/song.ogg"), SampleData(SampleKind::Random, 100000));
    FlatArchiveWriter writer;
    writer.sourceFolder = temp.file("src");
    writer.namePrefix = "velk";
    EXPECT_FALSE(writer.WriteArchive(temp.file("no/such/folder/out.velk")));
#ifdef _WIN32
    // No full device on Windows: an archive the game holds open (no shared deletion) cannot
    // be replaced, and keeps its bytes.
    WriteFileBytes(temp.file("music.rfa"), "installed");
    const std::string held = temp.file("music.rfa");
    HANDLE game = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(game, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writer.WriteArchive(held));
    CloseHandle(game);
    EXPECT_EQ(ReadFileBytes(held), "installed");
    std::vector<std::string> left;
    for (const auto& item : fs::directory_iterator(temp.path()))
        left.push_back(item.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"music.rfa", "src"})); // nothing written aside
#else
    ASSERT_TRUE(fs::exists("/dev/full"));
    FlatArchiveWriter full;
    full.sourceFolder = temp.file("src");
    full.namePrefix = "velk";
    EXPECT_FALSE(full.WriteArchive("/dev/full"));
#endif
}

// Sparse files make sizes of 4 GiB cheap; the writer refuses them before writing anything.
TEST(FlatArchiveWriter, RefusesArchivesBeyondThirtyTwoBits) {
    struct Case {
        const char* what;
        std::vector<std::uint64_t> sizes;
    };
    const Case cases[] = {{"one file of 4 GiB", {1ull << 32}},
                          {"two files of 2 GiB", {1ull << 31, 1ull << 31}},
                          {"data just past the last offset", {(1ull << 32) - 156}}};
    for (const Case& c : cases) {
        TempFolder temp;
        ASSERT_TRUE(fs::create_directory(temp.file("src")));
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            const std::string path = temp.file("src/big" + std::to_string(i));
            WriteFileBytes(path, "");
            fs::resize_file(path, c.sizes[i]);
        }
        FlatArchiveWriter writer;
        writer.sourceFolder = temp.file("src");
        writer.namePrefix = "music/US";
        EXPECT_FALSE(writer.WriteArchive(temp.file("music.rfa"))) << c.what;
        EXPECT_FALSE(fs::exists(temp.file("music.rfa"))) << c.what;
    }
}

} // namespace
