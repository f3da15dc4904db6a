// Paths as a Windows user reads and types them: joined with "\", and absolute only when they
// name their drive and folder.
#include "platform/FileOps.h"

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

} // namespace
