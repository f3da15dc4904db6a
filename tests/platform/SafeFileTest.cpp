#include "platform/SafeFile.h"
#include "platform/FaultInjection.h"
#include "platform/Sha256.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

bool IsLink(const std::string& path) {
    return fs::is_symlink(fs::symlink_status(path));
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::create_directory(temp.file("game")));
        ASSERT_TRUE(fs::create_directory(temp.file("outside")));
        WriteFileBytes(outside, "outside bytes");
        WriteFileBytes(target, "old");
    }
    void TearDown() override { FaultInjection::Disarm(); }

    TempFolder temp;
    std::string target = temp.file("game/Default.con");
    std::string outside = temp.file("outside/victim");
};

TEST_F(SafeFileTest, LinksAtTheTemporaryNamesAreSkippedNeverFollowed) {
    for (int attempt = 0; attempt < 3; ++attempt)
        REQUIRE_LINK(MakeSymbolicLink(outside, SafeFile::TemporaryName(target, attempt)));
    REQUIRE_LINK(MakeSymbolicLink(outside, target + ".copying"));
    SafeFile file(target);
    ASSERT_TRUE(file.Write("new"));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(file.TemporaryPath(), SafeFile::TemporaryName(target, 3));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_FALSE(IsLink(target));
    EXPECT_EQ(ReadFileBytes(outside), "outside bytes");
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_TRUE(IsLink(SafeFile::TemporaryName(target, attempt)));
}

// A finished work file takes the temporary name by a hard link; a link as source is refused.
TEST_F(SafeFileTest, LinkFromPlacesAFinishedFileWithoutACopy) {
    const std::string work = temp.file("game/work.rfa");
    WriteFileBytes(work, "patched");
    SafeFile file(target);
    ASSERT_TRUE(file.LinkFrom(work));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadFileBytes(target), "patched");
    EXPECT_TRUE(fs::equivalent(target, work));
    EXPECT_EQ(Names(temp.file("game")), (std::vector<std::string>{"Default.con", "work.rfa"}));
    REQUIRE_LINK(MakeSymbolicLink(outside, temp.file("game/link.rfa")));
    SafeFile refused(target);
    EXPECT_FALSE(refused.LinkFrom(temp.file("game/link.rfa")));
    EXPECT_EQ(ReadFileBytes(target), "patched");
    EXPECT_EQ(ReadFileBytes(outside), "outside bytes");
    EXPECT_EQ(Names(temp.file("game")),
              (std::vector<std::string>{"Default.con", "link.rfa", "work.rfa"}));
}

// Links come last: where the system makes none, the cases before them still run. Windows has
// no pipes in its folders; a file the game holds open is its own case there (HeldOpenTest).
TEST_F(SafeFileTest, NonRegularTargetsAreNeverReplacedOrFollowed) {
    const std::vector<std::pair<std::string, std::function<void()>>> targets = {
        {"folder", [&] { fs::create_directory(target); }},
#ifndef _WIN32
        {"pipe", [&] { ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0); }},
#endif
        {"link", [&] { REQUIRE_LINK(MakeSymbolicLink(outside, target)); }},
        {"dangling link",
         [&] { REQUIRE_LINK(MakeSymbolicLink(temp.file("outside/none"), target)); }},
    };
    for (const auto& [label, make] : targets) {
        SCOPED_TRACE(label);
        fs::remove_all(target);
        make();
        if (IsSkipped())
            return;
        const auto kind = fs::symlink_status(target).type();
        SafeFile file(target);
        ASSERT_TRUE(file.Write("new"));
        EXPECT_FALSE(file.Commit());
        EXPECT_TRUE(file.TargetRefused());
        EXPECT_EQ(fs::symlink_status(target).type(), kind);
        EXPECT_EQ(ReadFileBytes(outside), "outside bytes");
        EXPECT_FALSE(fs::exists(temp.file("outside/none")));
    }
}

TEST_F(SafeFileTest, AFailingStepLeavesTheTargetAndNoTemporaryFile) {
    for (FileStep step : {FileStep::Create, FileStep::Write, FileStep::Flush, FileStep::Rename}) {
        FaultInjection::Arm(step, 1);
        {
            SafeFile file(target);
            EXPECT_FALSE(file.Write("new") && file.Commit());
        }
        FaultInjection::Disarm();
        EXPECT_EQ(ReadFileBytes(target), "old");
        EXPECT_EQ(Names(temp.file("game")), std::vector<std::string>{"Default.con"});
    }
}

TEST_F(SafeFileTest, CommitRefusingNeverReplaces) {
    SafeFile file(target);
    ASSERT_TRUE(file.Write("new"));
    EXPECT_FALSE(file.CommitRefusing());
    EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST(Sha256Test, KnownDigests) {
    TempFolder temp;
    WriteFileBytes(temp.file("abc"), "abc");
    EXPECT_EQ(Sha256::OfFile(temp.file("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    Sha256 empty;
    EXPECT_EQ(empty.HexDigest(),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    REQUIRE_LINK(MakeSymbolicLink(temp.file("abc"), temp.file("link")));
    EXPECT_EQ(Sha256::OfFile(temp.file("link")), std::nullopt);
}

} // namespace
