// Paths on Linux: joined with "/", and absolute when they start with it.
#include "platform/FileOps.h"
#include "platform/PathRewrite.h"

#include <gtest/gtest.h>

namespace {

TEST(PosixPathsTest, JoinedWithSlashesAndAbsoluteFromTheRoot) {
    EXPECT_EQ(JoinPath("/g/BFV", "custom_music"), "/g/BFV/custom_music");
    EXPECT_EQ(JoinPath("/", "g"), "/g");
    EXPECT_TRUE(IsAbsolutePath("/g/BFV"));
    for (const char* path : {".", "g/BFV", "C:\\Games", ""})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

// Linux takes every name as written: a backslash is part of a name, and "BFV." is a folder of its
// own.
TEST(PosixPathsTest, WrittenAndOpenedAsTheyAre) {
    EXPECT_EQ(WithSystemSeparators("/g/a\\b"), "/g/a\\b");
    for (const char* path : {"/g/BFV.", "/g/BFV ", "/g/CON", "\\\\?\\C:\\BFV"})
        EXPECT_EQ(WhyThisSystemWouldRewrite(path), "") << path;
}

} // namespace
