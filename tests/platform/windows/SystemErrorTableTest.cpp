// The Windows half of the error table: GetLastError() codes, their kinds and their text.
#include "platform/SystemErrorTable.h"
#include "platform/SystemError.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(SystemErrorTableTest, SystemErrorCodesHaveTheirKindAndText) {
    const std::string music = "C:\\Games\\BFV\\Mods\\BfVietnam\\Archives\\music.rfa";
    struct Row {
        int code;
        FileFailure kind;
        bool mayClear;
        std::string described;
    };
    const Row rows[] = {
        {ERROR_SHARING_VIOLATION, FileFailure::Busy, true,
         "MoveFileExW on " + music + ": sharing violation (32)"},
        {ERROR_LOCK_VIOLATION, FileFailure::Busy, true,
         "MoveFileExW on " + music + ": lock violation (33)"},
        {ERROR_ACCESS_DENIED, FileFailure::Refused, true,
         "MoveFileExW on " + music + ": access denied (5)"},
        {ERROR_DISK_FULL, FileFailure::NoSpace, false,
         "MoveFileExW on " + music + ": disk full (112)"},
        {ERROR_FILE_NOT_FOUND, FileFailure::Missing, false,
         "MoveFileExW on " + music + ": file not found (2)"},
        {ERROR_ALREADY_EXISTS, FileFailure::Exists, false,
         "MoveFileExW on " + music + ": already exists (183)"},
        {ERROR_NOT_SAME_DEVICE, FileFailure::Unsupported, false,
         "MoveFileExW on " + music + ": not on the same drive (17)"},
        {12345, FileFailure::Other, false, "MoveFileExW on " + music + ": system error (12345)"},
    };
    for (const Row& row : rows) {
        const SystemError error{"MoveFileExW", music, row.code};
        EXPECT_EQ(error.Kind(), row.kind) << row.code;
        EXPECT_EQ(error.MayClear(), row.mayClear) << row.code;
        EXPECT_EQ(error.Describe(), row.described);
    }
    EXPECT_EQ((SystemError{"WriteFile", "", ERROR_DISK_FULL}.Describe()),
              "WriteFile: disk full (112)");
    // The fault seam's failures: a busy one clears by itself, the others do not, so that an
    // armed refusal is not retried away.
    EXPECT_EQ(SystemError::OfKind(FileFailure::Busy, "x", "").code, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(SystemError::OfKind(FileFailure::Refused, "x", "").code, ERROR_WRITE_PROTECT);
    EXPECT_EQ(SystemError::OfKind(FileFailure::NoSpace, "x", "").code, ERROR_DISK_FULL);
}

} // namespace
