// Paths as a Windows user reads and types them: joined with "\", and absolute only when they
// name their drive and folder.
#include "platform/FileOps.h"
#include "platform/PathRewrite.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsPathsTest, JoinedWithBackslashesAndAbsoluteOnlyWithDriveAndFolder) {
    EXPECT_EQ(JoinPath("C:\\Games\\BFV", "custom_music"), "C:\\Games\\BFV\\custom_music");
    EXPECT_EQ(JoinPath("C:\\", "BFV"), "C:\\BFV");
    for (const char* path : {"C:\\Games", "c:/Games", "\\\\server\\share", "//server/share"})
        EXPECT_TRUE(IsAbsolutePath(path)) << path;
    for (const char* path : {".", "Games\\BFV", "C:", "C:Games", "\\Games", ""})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

// Every path a Windows user reads has "\" only; Windows rewrites what it would rewrite.
TEST(WindowsPathsTest, WrittenWithBackslashesAndRewrittenAsWindowsDoes) {
    EXPECT_EQ(WithSystemSeparators("C:/Games/BFV\\custom_music/backups"),
              "C:\\Games\\BFV\\custom_music\\backups");
    EXPECT_EQ(WithSystemSeparators("//server/share/BFV"), "\\\\server\\share\\BFV");
    EXPECT_EQ(WithSystemSeparators("\\\\?\\C:\\a/b"), "\\\\?\\C:\\a/b"); // taken literally there
    for (const char* path : {"C:\\Games\\BFV.", "C:\\Games\\BFV ", "C:\\Games\\CON", "\\\\?\\C:\\BFV"})
        EXPECT_EQ(WhyThisSystemWouldRewrite(path), WhyWindowsWouldRewrite(path)) << path;
}

} // namespace
