// The Linux half of the error table: errno values, their kinds and their text.
#include "platform/SystemErrorTable.h"
#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(SystemErrorTableTest, ErrnoValuesHaveTheirKindAndText) {
    struct Row {
        int code;
        FileFailure kind;
        bool mayClear;
        const char* described;
    };
    const Row rows[] = {
        {ENOENT, FileFailure::Missing, false, "rename on /g/x: no such file or folder (2)"},
        {EACCES, FileFailure::Refused, false, "rename on /g/x: permission denied (13)"},
        {ENOSPC, FileFailure::NoSpace, false, "rename on /g/x: no space left on device (28)"},
        {EEXIST, FileFailure::Exists, false, "rename on /g/x: already exists (17)"},
        {EBUSY, FileFailure::Busy, true, "rename on /g/x: busy (16)"},
        {EXDEV, FileFailure::Unsupported, false,
         "rename on /g/x: not on the same file system (18)"},
        {12345, FileFailure::Other, false, "rename on /g/x: system error (12345)"},
    };
    for (const Row& row : rows) {
        const SystemError error{"rename", "/g/x", row.code};
        EXPECT_EQ(error.Kind(), row.kind) << row.code;
        EXPECT_EQ(error.MayClear(), row.mayClear) << row.code;
        EXPECT_EQ(error.Describe(), row.described);
    }
    EXPECT_EQ((SystemError{"write", "", ENOSPC}.Describe()), "write: no space left on device (28)");
    // The fault seam's failures: a busy one clears by itself, the others do not.
    EXPECT_EQ(SystemError::OfKind(FileFailure::Busy, "rename", "x").code, EBUSY);
    EXPECT_EQ(SystemError::OfKind(FileFailure::Refused, "rename", "x").code, EACCES);
    EXPECT_EQ(SystemError::OfKind(FileFailure::NoSpace, "write", "").code, ENOSPC);
}

} // namespace
