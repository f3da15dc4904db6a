#include "archive/ArchiveDirectory.h"
#include "platform/InputFile.h"
#include "tests/archive/ArchiveFixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::optional<ArchiveDirectory> ReadDirectory(const std::string& bytes, std::string& why) {
    TempFolder folder;
    WriteFileBytes(folder.file("a.velk"), bytes);
    InputFile file;
    EXPECT_TRUE(file.Open(folder.file("a.velk")));
    return ArchiveDirectory::Read(file, why);
}

FixtureArchive TwoEntries(bool withMagic = false) {
    FixtureArchive archive;
    archive.withMagic = withMagic;
    archive.entries.push_back({"velk/a.ogg", "abc"});
    archive.entries.push_back({"velk/b.ogg", "defgh"});
    return archive;
}

TEST(ArchiveDirectory, ListsEveryEntryWithOrWithoutTheMagic) {
    for (const bool withMagic : {false, true}) {
        std::string why;
        const auto directory = ReadDirectory(BuildArchive(TwoEntries(withMagic)), why);
        ASSERT_TRUE(directory) << why;
        ASSERT_EQ(directory->entries.size(), 2u);
        const std::uint32_t dataStart = withMagic ? 184 : 156;
        EXPECT_EQ(directory->entries[1].name, "velk/b.ogg");
        EXPECT_EQ(directory->entries[1].storedSize, 5u);
        EXPECT_EQ(directory->entries[1].unpackedSize, 5u);
        EXPECT_EQ(directory->entries[1].dataOffset, dataStart + 3);
        EXPECT_TRUE(directory->stored);
        EXPECT_EQ(directory->Find("velk/a.ogg"), &directory->entries[0]);
        EXPECT_EQ(directory->Find("velk/c.ogg"), nullptr);
    }
}

struct RefusedCase {
    const char* name;
    std::function<std::string()> bytes;
    const char* why;
};

class RefusedDirectory : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedDirectory, NamesWhatIsWrong) {
    std::string why;
    EXPECT_FALSE(ReadDirectory(GetParam().bytes(), why));
    EXPECT_EQ(why, GetParam().why);
}

std::string With(const std::function<void(FixtureArchive&)>& change) {
    FixtureArchive archive = TwoEntries();
    change(archive);
    return BuildArchive(archive);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedDirectory,
    testing::Values(
        RefusedCase{"Empty", [] { return std::string(); },
                    "its directory offset lies beyond the end of the file"},
        RefusedCase{"OffsetBeyondTheEnd",
                    [] { return With([](auto& a) { a.directoryOffset = 100000; }); },
                    "its directory offset lies beyond the end of the file"},
        RefusedCase{"CountOfFourBillion",
                    [] { return With([](auto& a) { a.entryCount = 0xFFFFFFFF; }); },
                    "its directory lists more entries than it can hold"},
        RefusedCase{"NameOf512Bytes",
                    [] { return With([](auto& a) { a.entries[0].name = std::string(512, 'n'); }); },
                    "an entry name is longer than 511 bytes"},
        RefusedCase{"NameLengthPastTheEnd",
                    [] { return With([](auto& a) { a.entries[1].nameLength = 200; }); },
                    "its directory is cut short"},
        RefusedCase{"LastRecordCut",
                    [] {
                        const std::string whole = BuildArchive(TwoEntries());
                        return whole.substr(0, whole.size() - 1);
                    },
                    "its directory is cut short"}),
    [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
