#include "platform/FolderWritable.h"
#include "platform/FileFailure.h"
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
        errno = 0;
        EXPECT_EQ(ProbeFolderWritable(row.folder), row.access) << row.folder;
        if (row.access != FolderAccess::Writable) {
            EXPECT_EQ(LastFileFailure(), row.failure) << row.folder;
        }
    }
    // Nothing is left behind by the probes.
    EXPECT_TRUE(ListFolder(temp.file("empty")).empty());
    EXPECT_EQ(ListFolder(temp.path()).size(), 2u);
}

} // namespace
