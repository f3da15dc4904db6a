#include "platform/SystemErrorTable.h"

#include <windows.h>

namespace {

// GetLastError() codes. A file another program holds open answers with a sharing or lock
// violation, or access denied where the holder did not share deletion; all three may clear
// by themselves, as SQLite's winIoerrCanRetry assumes.
constexpr SystemErrorRow kRows[] = {
    {ERROR_FILE_NOT_FOUND, FileFailure::Missing, false, "file not found"},
    {ERROR_PATH_NOT_FOUND, FileFailure::Missing, false, "path not found"},
    {ERROR_INVALID_DRIVE, FileFailure::Missing, false, "no such drive"},
    {ERROR_BAD_NETPATH, FileFailure::Missing, false, "network path not found"},
    {ERROR_BAD_PATHNAME, FileFailure::Missing, false, "bad path name"},
    {ERROR_INVALID_NAME, FileFailure::Missing, false, "invalid name"},
    {ERROR_DIRECTORY, FileFailure::Missing, false, "not a folder"},
    {ERROR_FILE_EXISTS, FileFailure::Exists, false, "file exists"},
    {ERROR_ALREADY_EXISTS, FileFailure::Exists, false, "already exists"},
    {ERROR_DIR_NOT_EMPTY, FileFailure::Exists, false, "folder not empty"},
    {ERROR_SHARING_VIOLATION, FileFailure::Busy, true, "sharing violation"},
    {ERROR_LOCK_VIOLATION, FileFailure::Busy, true, "lock violation"},
    {ERROR_USER_MAPPED_FILE, FileFailure::Busy, true, "mapped by another program"},
    {ERROR_DELETE_PENDING, FileFailure::Busy, true, "delete pending"},
    {ERROR_DISK_FULL, FileFailure::NoSpace, false, "disk full"},
    {ERROR_HANDLE_DISK_FULL, FileFailure::NoSpace, false, "disk full"},
    {ERROR_WRITE_PROTECT, FileFailure::Refused, false, "write-protected"},
    {ERROR_ACCESS_DENIED, FileFailure::Refused, true, "access denied"},
    {ERROR_PRIVILEGE_NOT_HELD, FileFailure::Refused, false, "privilege not held"},
    {ERROR_CANT_ACCESS_FILE, FileFailure::Refused, false, "cannot access the file"},
    {ERROR_NOT_SAME_DEVICE, FileFailure::Unsupported, false, "not on the same drive"},
    {ERROR_TOO_MANY_LINKS, FileFailure::Unsupported, false, "too many links"},
    {ERROR_INVALID_FUNCTION, FileFailure::Unsupported, false, "not supported here"},
    {ERROR_NOT_SUPPORTED, FileFailure::Unsupported, false, "not supported"},
    {ERROR_GEN_FAILURE, FileFailure::Other, false, "device failure"},
    {ERROR_IO_DEVICE, FileFailure::Other, false, "device input/output error"},
    {ERROR_CRC, FileFailure::Other, false, "data error"},
    {ERROR_NOT_READY, FileFailure::Other, false, "drive not ready"},
    {ERROR_FILENAME_EXCED_RANGE, FileFailure::Other, false, "name too long"},
    {ERROR_INVALID_PARAMETER, FileFailure::Other, false, "invalid parameter"},
    {ERROR_INVALID_HANDLE, FileFailure::Other, false, "invalid handle"},
    {ERROR_TOO_MANY_OPEN_FILES, FileFailure::Other, false, "too many open files"},
    {ERROR_NOT_ENOUGH_MEMORY, FileFailure::Other, false, "not enough memory"},
    {ERROR_HANDLE_EOF, FileFailure::Other, false, "end of file"},
    {ERROR_CANT_RESOLVE_FILENAME, FileFailure::Other, false, "too many links on the way"},
};

} // namespace

std::span<const SystemErrorRow> SystemErrorTable() {
    return kRows;
}

int GenericSystemErrorCode() {
    return ERROR_GEN_FAILURE;
}

int LastSystemErrorCode() {
    return static_cast<int>(GetLastError());
}
