// Paths on Linux: joined with "/", and absolute when they start with it.
#include "platform/FileOps.h"

#include <gtest/gtest.h>

namespace {

TEST(PosixPathsTest, JoinedWithSlashesAndAbsoluteFromTheRoot) {
    EXPECT_EQ(JoinPath("/g/BFV", "custom_music"), "/g/BFV/custom_music");
    EXPECT_EQ(JoinPath("/", "g"), "/g");
    EXPECT_TRUE(IsAbsolutePath("/g/BFV"));
    for (const char* path : {".", "g/BFV", "C:\\Games", ""})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

} // namespace
