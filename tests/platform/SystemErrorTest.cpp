#include "platform/SystemError.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/InputFile.h"
#include "platform/SafeFile.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A failing call's result keeps its cause: the call, the path and the system's error, whatever
// calls come after it.
TEST(SystemErrorTest, AFailingCallNamesTheCallThePathAndTheError) {
    TempFolder temp;
    const std::string missing = temp.file("missing");
    ASSERT_TRUE(CreateFolder(temp.file("taken")));
    struct Case {
        const char* what;
        std::function<SystemError()> fail;
        std::string path;
        FileFailure kind;
    };
    const Case cases[] = {
        {"remove", [&] { return RemoveFile(missing).Error(); }, missing, FileFailure::Missing},
        {"create", [&] { return CreateFolder(temp.file("taken")).Error(); }, temp.file("taken"),
         FileFailure::Exists},
        {"rename", [&] { return RenameReplacing(missing, temp.file("x")).Error(); }, "",
         FileFailure::Missing},
        {"open",
         [&] {
             InputFile file;
             EXPECT_FALSE(file.Open(missing));
             return file.Error();
         },
         missing, FileFailure::Missing},
        {"copy", [&] { return CopyFileReplacing(missing, temp.file("y")).Error(); }, missing,
         FileFailure::Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SystemError error = c.fail();
        static_cast<void>(CreateFolder(temp.file("taken"))); // a later failure changes nothing
        EXPECT_EQ(error.Kind(), c.kind);
        EXPECT_FALSE(error.call.empty());
        EXPECT_NE(error.code, 0);
        if (!c.path.empty()) {
            EXPECT_EQ(error.path, c.path);
            EXPECT_EQ(error.Describe().rfind(error.call + " on " + c.path + ": ", 0), 0u)
                << error.Describe();
        }
        EXPECT_NE(error.Describe().find(" (" + std::to_string(error.code) + ")"),
                  std::string::npos);
    }
    EXPECT_EQ(SystemError{}.Kind(), FileFailure::None);
    EXPECT_EQ(SystemError{}.Describe(), "");
    EXPECT_TRUE(RemoveFile(temp.file("taken")).Kind() != FileFailure::None);
    EXPECT_FALSE(HeldOpenByAnother(missing));
}

// The one way folders are made with their parents: every level, nothing past a file in the
// way, and an existing tree is success.
TEST(FolderTreeTest, CreatesEveryLevelAndStopsAtAFileInTheWay) {
    TempFolder temp;
    EXPECT_TRUE(CreateFolderTree(temp.file("a/b//c/")));
    EXPECT_TRUE(FolderExists(temp.file("a/b/c")));
    EXPECT_TRUE(CreateFolderTree(temp.file("a/b/c")));

    WriteFileBytes(temp.file("a/plain"), "x");
    FolderStatus failure = FolderStatus::Existed;
    const FileResult blocked = CreateFolderTree(temp.file("a/plain/inner"), &failure);
    EXPECT_FALSE(blocked);
    EXPECT_EQ(failure, FolderStatus::NotAFolder);
    EXPECT_EQ(blocked.Error().path, temp.file("a/plain"));
    EXPECT_FALSE(FolderExists(temp.file("a/plain/inner")));
    EXPECT_EQ(EnsureFolder(temp.file("a/plain")), FolderStatus::NotAFolder);
    EXPECT_EQ(EnsureFolder(temp.file("a/b")), FolderStatus::Existed);
    EXPECT_EQ(EnsureFolder(temp.file("a/new")), FolderStatus::Created);
    SystemError error;
    EXPECT_EQ(EnsureFolder(temp.file("no/such/parent"), &error), FolderStatus::CreateFailed);
    EXPECT_EQ(error.Kind(), FileFailure::Missing);
    EXPECT_FALSE(RemoveEmptyFolder(temp.file("a/b")));
    EXPECT_TRUE(RemoveEmptyFolder(temp.file("a/new")));

    const std::string first = CreateUniqueFolder(temp.path(), "preview-");
    const std::string second = CreateUniqueFolder(temp.path(), "preview-");
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), JoinPath(temp.path(), "preview-").size() + 6);
    EXPECT_TRUE(FolderExists(first));
    EXPECT_EQ(CreateUniqueFolder(temp.file("missing"), "x", &error), "");
    EXPECT_EQ(error.Kind(), FileFailure::Missing);

    // A link to a folder is a folder to those who follow it, but never removed as one.
    REQUIRE_LINK(MakeFolderLink(temp.file("a/b"), temp.file("linked")));
    EXPECT_EQ(EnsureFolder(temp.file("linked")), FolderStatus::Existed);
    EXPECT_EQ(InspectPath(temp.file("linked")).kind, PathKind::Link);
}

} // namespace
