#include "platform/FileFailure.h"
#include "platform/FileOps.h"
#include "platform/InputFile.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <utility>

namespace {

// The kinds callers act on, from the errno values both systems' implementations set (Windows
// maps a sharing or lock violation to EBUSY).
TEST(FileFailureTest, ErrnoValuesMapToTheKindsCallersActOn) {
    const std::pair<int, FileFailure> cases[] = {
        {0, FileFailure::None},           {ENOENT, FileFailure::Missing},
        {ENOTDIR, FileFailure::Missing},  {EEXIST, FileFailure::Exists},
        {ENOTEMPTY, FileFailure::Exists}, {EBUSY, FileFailure::Busy},
        {ETXTBSY, FileFailure::Busy},     {ENOSPC, FileFailure::NoSpace},
        {EACCES, FileFailure::Refused},   {EPERM, FileFailure::Refused},
        {EROFS, FileFailure::Refused},    {EIO, FileFailure::Other},
        {EXDEV, FileFailure::Other},
    };
    for (const auto& [error, kind] : cases)
        EXPECT_EQ(FileFailureOf(error), kind) << error;
}

TEST(FileFailureTest, RealFailuresOfTheLayerCarryTheirKind) {
    TempFolder temp;
    InputFile file;
    EXPECT_FALSE(file.Open(temp.file("missing")));
    EXPECT_EQ(LastFileFailure(), FileFailure::Missing);
    ASSERT_TRUE(CreateFolder(temp.file("taken")));
    EXPECT_FALSE(CreateFolder(temp.file("taken")));
    EXPECT_EQ(LastFileFailure(), FileFailure::Exists);
    EXPECT_FALSE(HeldOpenByAnother(temp.file("missing")));
}

// The one way folders are made with their parents: every level, nothing past a file in the
// way, and an existing tree is success.
TEST(FolderTreeTest, CreatesEveryLevelAndStopsAtAFileInTheWay) {
    TempFolder temp;
    EXPECT_TRUE(CreateFolderTree(temp.file("a/b//c/")));
    EXPECT_TRUE(FolderExists(temp.file("a/b/c")));
    EXPECT_TRUE(CreateFolderTree(temp.file("a/b/c")));

    WriteFileBytes(temp.file("a/plain"), "x");
    EXPECT_FALSE(CreateFolderTree(temp.file("a/plain/inner")));
    EXPECT_FALSE(FolderExists(temp.file("a/plain/inner")));
    EXPECT_EQ(EnsureFolder(temp.file("a/plain")), FolderStatus::NotAFolder);
    EXPECT_EQ(EnsureFolder(temp.file("a/b")), FolderStatus::Existed);
    EXPECT_EQ(EnsureFolder(temp.file("a/new")), FolderStatus::Created);
    EXPECT_EQ(EnsureFolder(temp.file("no/such/parent")), FolderStatus::CreateFailed);
    EXPECT_EQ(LastFileFailure(), FileFailure::Missing);
    EXPECT_FALSE(RemoveEmptyFolder(temp.file("a/b")));
    EXPECT_TRUE(RemoveEmptyFolder(temp.file("a/new")));

    const std::string first = CreateUniqueFolder(temp.path(), "preview-");
    const std::string second = CreateUniqueFolder(temp.path(), "preview-");
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), temp.file("preview-").size() + 6);
    EXPECT_TRUE(FolderExists(first));
    EXPECT_EQ(CreateUniqueFolder(temp.file("missing"), "x"), "");

    // A link to a folder is a folder to those who follow it, but never removed as one.
    REQUIRE_LINK(MakeFolderLink(temp.file("a/b"), temp.file("linked")));
    EXPECT_EQ(EnsureFolder(temp.file("linked")), FolderStatus::Existed);
    EXPECT_EQ(InspectPath(temp.file("linked")).kind, PathKind::Link);
}

} // namespace
