#include "archive/UnpackArchive.h"
#include "archive/FlatArchiveWriter.h"
#include "tests/archive/ArchiveFixture.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

struct Unpacked {
    bool ok;
    std::string out;
    std::string err;
    std::string cause; // the result's
};

// Writes the archive beside a fresh target folder and extracts it there.
class Extraction {
public:
    Extraction() {
        EXPECT_TRUE(fs::create_directory(target()));
        EXPECT_TRUE(fs::create_directory(temp_.file("outside")));
        WriteFileBytes(temp_.file("outside/keep.txt"), "keep");
    }
    std::string target() const { return temp_.file("target"); }
    std::string root() const { return temp_.path(); }
    std::string inTarget(const std::string& name) const { return target() + "/" + name; }

    Unpacked Run(const std::string& archive, std::FILE* trace = stdout) {
        WriteFileBytes(temp_.file("archive.rfa"), archive);
        return RunFile(temp_.file("archive.rfa"), trace);
    }
    Unpacked RunFile(const std::string& path, std::FILE* trace = stdout) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const UnpackResult result = UnpackArchive(path, target(), trace);
        std::fflush(nullptr);
        std::string err = testing::internal::GetCapturedStderr();
        return {static_cast<bool>(result), testing::internal::GetCapturedStdout(), err,
                result.Cause()};
    }

private:
    TempFolder temp_;
};

FixtureEntry Stored(const std::string& name, const std::string& data) {
    return {name, data, {}, {}, {}};
}

// A compressed entry; its directory sizes only need to differ to select compressed mode.
FixtureEntry Compressed(const std::string& name, const std::string& original,
                        std::size_t blockSize = 32768) {
    const std::string data = CompressedEntryData(original, blockSize);
    return {name, data, {}, static_cast<std::uint32_t>(original.size() + 1), {}};
}

TEST(UnpackArchive, ExtractsTheSmallArchiveAndTracesEachEntry) {
    Extraction run;
    const std::string archive = BuildStoredArchive({{"p/a.txt", "abc"}, {"p/b.txt", "de"}});
    const fs::path workingDirectory = fs::current_path();
    const Unpacked result = run.Run(archive);
    ASSERT_TRUE(result.ok) << result.err;
    EXPECT_EQ(fs::current_path(), workingDirectory);
    EXPECT_EQ(ReadFileBytes(run.inTarget("p/a.txt")), "abc");
    EXPECT_EQ(ReadFileBytes(run.inTarget("p/b.txt")), "de");
    // The second record starts after the count and the first record (4 + 7 + 24 bytes).
    EXPECT_EQ(result.out, " Name length:  7\tFilename: p/a.txt\tOffset:   156\nSize:     3\t"
                          "Position: 0\n"
                          " Name length:  7\tFilename: p/b.txt\tOffset:   159\nSize:     2\t"
                          "Position: 200\n");
    EXPECT_EQ(result.err, "");
    // Names are escaped for the terminal (a C1 control, which Windows allows in names; C0
    // controls are refused), and the trace can be switched off.
    const std::string hostile = BuildStoredArchive({{"p/\xC2\x9B"
                                                     "2J.txt",
                                                     "x"}});
    EXPECT_NE(run.Run(hostile).out.find("Filename: p/\\xC2\\x9B2J.txt\t"), std::string::npos);
    const Unpacked quiet = run.Run(archive, nullptr);
    EXPECT_TRUE(quiet.ok);
    EXPECT_EQ(quiet.out, "");
}

TEST(UnpackArchive, RoundTripsWhatTheWriterPacked) {
    TempFolder source;
    ASSERT_TRUE(fs::create_directories(source.file("US/a/b")));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"US/music01.wav", SampleData(SampleKind::Mixed, 3'000'000, 1)},
        {"US/empty.wav", ""},
        {"US/a/b/deep.bin", SampleData(SampleKind::Random, 70000, 2)}};
    for (const auto& [name, data] : files)
        WriteFileBytes(source.file(name), data);
    FlatArchiveWriter writer;
    writer.sourceFolder = source.file("US");
    writer.namePrefix = "music/US";
    ASSERT_TRUE(writer.WriteArchive(source.file("music.rfa")));

    Extraction run;
    ASSERT_TRUE(fs::create_directories(run.inTarget("music/US"))); // entered, not recreated
    WriteFileBytes(run.inTarget("music/US/old.txt"), "old");
    const Unpacked result = run.RunFile(source.file("music.rfa"));
    ASSERT_TRUE(result.ok) << result.err;
    for (const auto& [name, data] : files)
        EXPECT_EQ(ReadFileBytes(run.inTarget("music/" + name)), data) << name;
    EXPECT_EQ(ReadFileBytes(run.inTarget("music/US/old.txt")), "old");
}

TEST(UnpackArchive, ReadsTheFlavourWithTheArchiveMagic) {
    Extraction run;
    FixtureArchive archive;
    archive.withMagic = true;
    archive.entries = {Stored("velk/US.ssc", "sound"), Stored("velk/b", "b")};
    const std::string bytes = BuildArchive(archive);
    ASSERT_EQ(bytes.substr(0, 28), "Refractor2 FlatArchive 1.1  ");
    const Unpacked result = run.Run(bytes);
    ASSERT_TRUE(result.ok) << result.err;
    EXPECT_EQ(ReadFileBytes(run.inTarget("velk/US.ssc")), "sound");
    EXPECT_EQ(ReadFileBytes(run.inTarget("velk/b")), "b");
}

TEST(UnpackArchive, FirstEntryDecidesStoredOrCompressedForAll) {
    const std::string song = SampleData(SampleKind::Text, 100'000, 4);
    {
        Extraction run;
        FixtureArchive archive;
        archive.entries = {Compressed("a.bin", song), Compressed("b.bin", song, 10000)};
        // Equal sizes on the second entry: still decoded, because the first is compressed.
        archive.entries[1].unpackedSize =
            static_cast<std::uint32_t>(CompressedEntryData(song, 10000).size());
        const Unpacked result = run.Run(BuildArchive(archive));
        ASSERT_TRUE(result.ok) << result.err;
        EXPECT_EQ(ReadFileBytes(run.inTarget("a.bin")), song);
        EXPECT_EQ(ReadFileBytes(run.inTarget("b.bin")), song);
    }
    {
        Extraction run;
        FixtureArchive archive;
        archive.entries = {Stored("a.txt", "plain"), Compressed("b.bin", song)};
        const Unpacked result = run.Run(BuildArchive(archive));
        ASSERT_TRUE(result.ok) << result.err;
        EXPECT_EQ(ReadFileBytes(run.inTarget("b.bin")), CompressedEntryData(song, 32768));
    }
}

TEST(UnpackArchive, CompressedEntriesOfEveryKindExtractToTheOriginal) {
    Extraction run;
    FixtureArchive archive;
    const SampleKind kinds[] = {SampleKind::Mixed, SampleKind::Random, SampleKind::Runs,
                                SampleKind::Text};
    std::vector<std::string> originals;
    for (int i = 0; i < 4; ++i) {
        originals.push_back(SampleData(kinds[i], 40000u * (i + 1) + 17, i));
        archive.entries.push_back(Compressed("d/f" + std::to_string(i), originals.back()));
    }
    archive.entries.push_back({"d/none", LE32(0), {}, 99, {}}); // a block table with N = 0
    const Unpacked result = run.Run(BuildArchive(archive));
    ASSERT_TRUE(result.ok) << result.err;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadFileBytes(run.inTarget("d/f" + std::to_string(i))), originals[i]);
    EXPECT_EQ(ReadFileBytes(run.inTarget("d/none")), "");
}

std::string OneBlockEntry(const std::string& block, std::uint32_t decompressedSize) {
    return LE32(1) + LE32(static_cast<std::uint32_t>(block.size())) + LE32(decompressedSize) +
           LE32(0) + block;
}

TEST(UnpackArchive, BlockThatEndsEarlyIsPaddedWithZeros) {
    Extraction run;
    const std::string block("\x14\x61\x62\x63\xA8\x00\x11\x00\x00", 9);
    FixtureArchive archive;
    archive.entries = {{"abc", OneBlockEntry(block, 16), {}, 16, {}}};
    const Unpacked result = run.Run(BuildArchive(archive));
    ASSERT_TRUE(result.ok) << result.err;
    EXPECT_EQ(ReadFileBytes(run.inTarget("abc")), "abcabcabc" + std::string(7, '\0'));
}

TEST(UnpackArchive, FailingBlockEndsTheExtractionWithItsLine) {
    struct Case {
        std::string block;
        std::uint32_t size;
        const char* line;
    };
    const std::string abc("\x14\x61\x62\x63\xA8\x00\x11\x00\x00", 9);
    const Case cases[] = {
        {std::string("\x12\x61\xA8\x00\x11\x00\x00", 7), 16, "-6: ptr < obuff.\n"},
        {abc, 8, "-5: ptr > obuff.\n"},
        {abc + "x", 16, "-4: ptr > sbuff.\n"},
        {abc + "xyz", 16, "-8: sbuff ptr is valid. control byte is not.\n"}};
    for (const Case& c : cases) {
        Extraction run;
        FixtureArchive archive;
        archive.entries = {{"bad", OneBlockEntry(c.block, c.size), {}, 1, {}},
                           Compressed("never", "x")};
        const Unpacked result = run.Run(BuildArchive(archive));
        EXPECT_FALSE(result.ok) << c.line;
        EXPECT_NE(result.out.find(c.line), std::string::npos) << result.out;
        EXPECT_FALSE(result.err.empty());
        EXPECT_FALSE(fs::exists(run.inTarget("never")));
    }
}

TEST(UnpackArchive, ReportsEachUnreadableFieldInTheErrorForm) {
    const std::string archive = BuildStoredArchive({{"p/a.txt", "abc"}});
    struct Case {
        std::size_t keep; // bytes of the 198-byte archive left
        const char* report;
    };
    // Count at 159, name length at 163, name at 167, sizes at 174 and 178, offset at 182.
    const Case cases[] = {
        {159, "unpack:for:fread(filename length): "}, {165, "unpack:for:fread(filename length): "},
        {170, "unpack:for:fread(filename): "},        {176, "unpack:for:fread(size): "},
        {180, "unpack:for:fread(tucsize): "},         {184, "unpack:for:fseek(position): "}};
    for (const Case& c : cases) {
        Extraction run;
        const Unpacked result = run.Run(archive.substr(0, c.keep));
        EXPECT_FALSE(result.ok) << c.report;
        EXPECT_EQ(result.err.rfind(c.report, 0), 0u) << result.err;
    }
    Extraction run;
    const Unpacked missing = run.RunFile(run.root() + "/no-such.rfa");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.err.rfind("unpack:fopen(): ", 0), 0u) << missing.err;
}

TEST(UnpackArchive, ArchiveWithoutEntriesFailsAtTheProbe) {
    Extraction run;
    const std::string empty = BuildStoredArchive({});
    ASSERT_EQ(empty.size(), 160u);
    const Unpacked result = run.Run(empty);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.err.rfind("unpack:for:fread(filename length): ", 0), 0u) << result.err;
}

TEST(UnpackArchive, NamesAtTheLimitsAreExtracted) {
    Extraction run;
    std::string deep;
    for (int i = 0; i < 48; ++i)
        deep += "d/";
    deep += "f";
    const std::string longName = "x/" + std::string(509, 'n');
    const Unpacked result = run.Run(BuildStoredArchive({{deep, "deep"}, {"./ok//y", "y"}}));
    ASSERT_TRUE(result.ok) << result.err;
    EXPECT_EQ(ReadFileBytes(run.inTarget(deep)), "deep");
    EXPECT_EQ(ReadFileBytes(run.inTarget("ok/y")), "y");
    // 511 bytes is allowed by the format, but not by Windows: refused by name, before any open.
    EXPECT_NE(run.Run(BuildStoredArchive({{longName, "z"}})).err.find("refused entry name"),
              std::string::npos);
}

struct HostileCase {
    const char* what;
    std::function<FixtureArchive(const std::string& root)> archive;
    const char* says = ""; // part of the refusal on standard error
};

FixtureArchive AfterGoodEntry(FixtureEntry bad) {
    FixtureArchive archive;
    archive.entries = {Stored("good.txt", "good"), std::move(bad)};
    return archive;
}

FixtureArchive BadName(const std::string& name) {
    return AfterGoodEntry(Stored(name, "evil"));
}

FixtureArchive CompressedWithTable(const std::string& table) {
    FixtureArchive archive;
    archive.entries = {Compressed("good.bin", "good"), {"bad.bin", table, {}, 1, {}}};
    return archive;
}

FixtureArchive CompressedBlocks(const std::vector<std::array<std::uint32_t, 3>>& blocks,
                                const std::string& bytes, std::uint32_t unpackedSize = 1) {
    std::string table = LE32(static_cast<std::uint32_t>(blocks.size()));
    for (const auto& block : blocks)
        table += LE32(block[0]) + LE32(block[1]) + LE32(block[2]);
    FixtureArchive archive = CompressedWithTable(table + bytes);
    archive.entries[1].unpackedSize = unpackedSize;
    return archive;
}

FixtureArchive StoredClaiming(std::uint32_t storedSize, std::uint32_t offsetFromEnd) {
    FixtureEntry bad = Stored("bad.bin", "");
    bad.storedSize = storedSize;
    bad.dataOffset = 0;
    FixtureArchive archive = AfterGoodEntry(bad);
    archive.entries[1].dataOffset =
        static_cast<std::uint32_t>(BuildArchive(archive).size() - offsetFromEnd);
    return archive;
}

// Every path below a folder, with "/" after folders and "@" after links.
std::set<std::string> TreeOf(const std::string& folder) {
    std::set<std::string> tree;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        tree.insert(fs::relative(item.path(), folder).string() + (item.is_symlink()     ? "@"
                                                                  : item.is_directory() ? "/"
                                                                                        : ""));
    return tree;
}

// Ctrl-C is asked before each entry and between chunks or blocks: the first "yes" stops the
// extraction in the middle of a large entry, and what it had extracted is removed again.
TEST(UnpackArchive, CancelStopsInTheMiddleAndLeavesNothing) {
    const std::string large = SampleData(SampleKind::Runs, 8u << 20);
    const std::string stored = BuildStoredArchive({{"d/a.txt", "abc"}, {"d/large.bin", large}});
    FixtureArchive compressed;
    compressed.entries = {Compressed("d/a.txt", "abc"), Compressed("d/large.bin", large)};
    // Asks: before a.txt, its one chunk or block, before large.bin, then its first two.
    constexpr int kCancelAt = 5;
    for (const std::string& archive : {stored, BuildArchive(compressed)}) {
        TempFolder temp;
        WriteFileBytes(temp.file("archive.rfa"), archive);
        int asks = 0;
        testing::internal::CaptureStderr();
        const bool ok = static_cast<bool>(UnpackArchive(
            temp.file("archive.rfa"), temp.path(), nullptr, [&] { return ++asks == kCancelAt; }));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(ok);
        EXPECT_EQ(asks, kCancelAt);
        EXPECT_EQ(err, "unpack: cancelled\n");
        EXPECT_EQ(TreeOf(temp.path()), std::set<std::string>{"archive.rfa"});
    }
}

class HostileArchive : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileArchive, FailsWithAReportAndWritesNothingOutsideTheTarget) {
    Extraction run;
    // Traps beside every case; the cases about them need them, the others run without.
    const bool linked = MakeFolderLink(run.root() + "/outside", run.inTarget("link")) &&
                        MakeSymbolicLink(run.root() + "/outside/keep.txt", run.inTarget("victim"));
    if (std::string(GetParam().what).find("linked") != std::string::npos) {
        REQUIRE_LINK(linked);
    }
#ifndef _WIN32
    ASSERT_TRUE(linked);
#endif
    const auto before = FilesOutside(run.root(), run.target());
    const auto targetBefore = TreeOf(run.target());
    const Unpacked result = run.Run(BuildArchive(GetParam().archive(run.root())));
    EXPECT_FALSE(result.ok);
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.back(), '\n');
    EXPECT_NE(result.err.find(GetParam().says), std::string::npos) << result.err;
    // Entries extracted before the refusal, and their folders, are gone again.
    EXPECT_EQ(TreeOf(run.target()), targetBefore);
    fs::remove(run.root() + "/archive.rfa");
    auto after = FilesOutside(run.root(), run.target());
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileArchive,
    testing::Values(
        HostileCase{"name of 512 bytes", [](auto&) { return BadName(std::string(512, 'a')); }},
        HostileCase{"name length of 4 GiB",
                    [](auto&) {
                        auto archive = BadName("x");
                        archive.entries[1].nameLength = 0xFFFFFFFF;
                        return archive;
                    }},
        HostileCase{"50 components",
                    [](auto&) {
                        std::string name;
                        for (int i = 0; i < 50; ++i)
                            name += "c/";
                        return BadName(name);
                    }},
        HostileCase{"absolute name",
                    [](const std::string& root) { return BadName(root + "/outside/abs.txt"); }},
        HostileCase{"parent component", [](auto&) { return BadName("../outside/up.txt"); },
                    "refused entry name \"../outside/up.txt\": climbs out"},
        HostileCase{"control characters named escaped",
                    [](auto&) { return BadName("a\x1b]0;x\\y"); },
                    "refused entry name \"a\\x1B]0;x\\\\y\": holds a backslash"},
        HostileCase{"stored size of 4 GiB", [](auto&) { return StoredClaiming(0xFFFFFFFF, 4); },
                    "entry \"bad.bin\": larger than 2 GiB"},
        HostileCase{"stored data one byte past the end", [](auto&) { return StoredClaiming(5, 4); },
                    "entry \"bad.bin\": data reaches past the end of the archive"},
        HostileCase{"one block listed many times",
                    [](auto&) {
                        return CompressedBlocks(
                            std::vector<std::array<std::uint32_t, 3>>(40, {3, 32768, 0}),
                            "\x11\x00\x00");
                    },
                    "entry \"bad.bin\": blocks overlap or repeat"},
        HostileCase{
            "overlapping blocks",
            [](auto&) {
                return CompressedBlocks({{4, 10, 0}, {4, 10, 3}}, "\x11\x00\x00\x00\x00\x00\x00");
            },
            "entry \"bad.bin\": blocks overlap or repeat"},
        HostileCase{"more than 256 times its blocks",
                    [](auto&) {
                        return CompressedBlocks({{3, 32768, 0}}, "\x11\x00\x00");
                    },
                    "entry \"bad.bin\": unpacks to more than 256 times its compressed bytes"},
        HostileCase{"unpacked size over 2 GiB",
                    [](auto&) {
                        return CompressedBlocks({{3, 9, 0}}, "\x11\x00\x00", 0x80000001);
                    },
                    "entry \"bad.bin\": larger than 2 GiB"},
        HostileCase{"block after a good one fails to decode",
                    [](auto&) {
                        return CompressedBlocks(
                            {{3, 0, 0}, {7, 16, 3}},
                            std::string("\x11\x00\x00\x12\x61\xA8\x00\x11\x00\x00", 10));
                    },
                    "entry \"bad.bin\": a block cannot be decoded"},
        HostileCase{"parent deeper down", [](auto&) { return BadName("a/../../up.txt"); }},
        HostileCase{"backslashes", [](auto&) { return BadName("..\\outside\\bs.txt"); }},
        HostileCase{"drive prefix", [](auto&) { return BadName("C:outside.txt"); }},
        HostileCase{"drive path", [](auto&) { return BadName("C:/outside.txt"); }},
        HostileCase{"NUL byte", [](auto&) { return BadName(std::string("nul\0.txt", 8)); }},
        HostileCase{"empty name", [](auto&) { return BadName(""); }},
        HostileCase{"slashes only", [](auto&) { return BadName("///"); }},
        HostileCase{"through a linked folder", [](auto&) { return BadName("link/evil.txt"); }},
        HostileCase{"onto a linked file", [](auto&) { return BadName("victim"); }},
        HostileCase{"directory offset beyond the end",
                    [](auto&) {
                        FixtureArchive archive = BadName("x");
                        archive.directoryOffset = 100000;
                        return archive;
                    }},
        HostileCase{"data offset beyond the end",
                    [](auto&) {
                        FixtureEntry bad = Stored("far.txt", "");
                        bad.dataOffset = 100000;
                        bad.storedSize = 0;
                        return AfterGoodEntry(bad);
                    }},
        HostileCase{"block count beyond the archive",
                    [](auto&) { return CompressedWithTable(LE32(0xFFFFFFFF)); }},
        HostileCase{"block table cut short",
                    [](auto&) { return CompressedWithTable(LE32(1000) + LE32(3) + LE32(3)); }},
        HostileCase{
            "block larger than the input buffer",
            [](auto&) { return CompressedWithTable(LE32(1) + LE32(49153) + LE32(10) + LE32(0)); }},
        HostileCase{"block larger than the output buffer",
                    [](auto&) {
                        return CompressedWithTable(LE32(1) + LE32(3) + LE32(32769) + LE32(0) +
                                                   "\x11\x00\x00");
                    }},
        HostileCase{"block beyond the archive",
                    [](auto&) {
                        return CompressedWithTable(LE32(1) + LE32(100) + LE32(100) +
                                                   LE32(0xFFFFFF00));
                    },
                    "entry \"bad.bin\": a block reaches past the end of the archive"}),
    [](const auto& tested) { return TestName(tested.param.what); });

// Names Windows would take for a device, alter or refuse, paths it cannot take, and names it
// would write to one file: the whole directory is checked before the first entry is opened,
// on every system, so even the good entry before the hostile one is never begun.
struct WindowsNameCase {
    const char* what;
    std::vector<std::string> names; // after a good entry
    const char* says;
};

class WindowsNames : public testing::TestWithParam<WindowsNameCase> {};

TEST_P(WindowsNames, AreRefusedByNameBeforeAnythingIsOpened) {
    Extraction run;
    FixtureArchive archive;
    archive.entries = {Stored("velk/playlists.con", "good")};
    for (const std::string& name : GetParam().names)
        archive.entries.push_back(Stored(name, "evil"));
    const auto targetBefore = TreeOf(run.target());
    const Unpacked result = run.Run(BuildArchive(archive));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, ""); // no entry traced: none begun
    EXPECT_EQ(result.err.rfind("unpack: refused entry name \"", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(GetParam().says), std::string::npos) << result.err;
    EXPECT_EQ(result.cause + "\n", result.err);
    EXPECT_EQ(TreeOf(run.target()), targetBefore);
}

const std::string kLongName = "velk/" + std::string(200, 'd') + "/" + std::string(60, 'f');

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsNames,
    testing::Values(
        WindowsNameCase{"CON", {"CON"}, "is the device CON"},
        WindowsNameCase{"AUX in a folder", {"velk/AUX"}, "is the device AUX"},
        WindowsNameCase{"COM1 with an extension", {"velk/com1.ogg"}, "is the device COM1"},
        WindowsNameCase{"COM with a superscript", {"velk/COM\xC2\xB3"}, "is the device COM"},
        WindowsNameCase{"LPT9", {"velk/Lpt9"}, "is the device LPT9"},
        WindowsNameCase{"NUL as a folder", {"velk/nul/music01.ogg"}, "is the device NUL"},
        WindowsNameCase{"PRN", {"velk/prn.con"}, "is the device PRN"},
        WindowsNameCase{"CONIN$", {"velk/CONIN$"}, "is the device CONIN$"},
        WindowsNameCase{"trailing dot", {"velk/music01.ogg."}, "ends in a dot"},
        WindowsNameCase{"trailing space", {"velk /music01.ogg"}, "ends in a space"},
        WindowsNameCase{"a name Windows would merge with the next",
                        {"velk/music01.ogg.", "velk/music01.ogg"},
                        "ends in a dot"},
        WindowsNameCase{"less than", {"velk/a<b"}, "holds \"<\""},
        WindowsNameCase{"greater than", {"velk/a>b"}, "holds \">\""},
        WindowsNameCase{"quote", {"velk/a\"b"}, "holds \"\"\""},
        WindowsNameCase{"bar", {"velk/a|b"}, "holds \"|\""},
        WindowsNameCase{"question mark", {"velk/a?b"}, "holds \"?\""},
        WindowsNameCase{"star", {"velk/*.ogg"}, "holds \"*\""},
        WindowsNameCase{"control character", {"velk/a\x01b"}, "control character"},
        WindowsNameCase{"path over the limit", {kLongName}, "more than the 259 Windows takes"},
        WindowsNameCase{"the same file in another case",
                        {"velk/Music01.ogg", "VELK/music01.OGG"},
                        "names the same file as an earlier entry"},
        WindowsNameCase{"the same name twice",
                        {"velk/x", "velk/./x"},
                        "names the same file as an earlier entry"}),
    [](const auto& tested) { return TestName(tested.param.what); });

} // namespace
