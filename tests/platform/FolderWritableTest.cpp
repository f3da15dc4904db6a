#include "platform/FolderWritable.h"
#include "platform/FileOps.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// Access denied itself cannot be made here: the tests run as root on Linux, and Wine keeps
// no access lists. The elevation decision is tested with a probe double instead.
TEST(FolderWritableTest, ProbesByCreatingAFileThatIsGoneAfterwards) {
    TempFolder temp;
    WriteFileBytes(temp.file("a file"), "x");
    ASSERT_TRUE(CreateFolder(temp.file("empty")));
    struct Row {
        std::string folder;
        FolderAccess access;
        FileFailure failure;
    };
    const Row rows[] = {
        {temp.path(), FolderAccess::Writable, FileFailure::None},
        {temp.file("empty"), FolderAccess::Writable, FileFailure::None},
        {temp.file("missing"), FolderAccess::Failed, FileFailure::Missing},
        {temp.file("missing/below"), FolderAccess::Failed, FileFailure::Missing},
        // A file is not a folder: another error, never "denied".
        {temp.file("a file"), FolderAccess::Failed, FileFailure::Missing},
    };
    for (const Row& row : rows) {
        SystemError error;
        EXPECT_EQ(ProbeFolderWritable(row.folder, &error), row.access) << row.folder;
        EXPECT_EQ(error.Kind(), row.failure) << row.folder;
    }
    // Nothing is left behind by the probes.
    EXPECT_TRUE(ListFolder(temp.file("empty")).empty());
    EXPECT_EQ(ListFolder(temp.path()).size(), 2u);
}

} // namespace
