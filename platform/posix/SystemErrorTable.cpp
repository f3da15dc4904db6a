#include "platform/SystemErrorTable.h"

#include <cerrno>

namespace {

// errno values. Linux never refuses a file because another program holds it open, so only the
// busy codes may clear by themselves (the fault seam asks for them).
constexpr SystemErrorRow kRows[] = {
    {ENOENT, FileFailure::Missing, false, "no such file or folder"},
    {ENOTDIR, FileFailure::Missing, false, "not a folder"},
    {EEXIST, FileFailure::Exists, false, "already exists"},
    {ENOTEMPTY, FileFailure::Exists, false, "folder not empty"},
    {EBUSY, FileFailure::Busy, true, "busy"},
    {ETXTBSY, FileFailure::Busy, true, "text file busy"},
    {EWOULDBLOCK, FileFailure::Busy, false, "locked by another process"},
    {ENOSPC, FileFailure::NoSpace, false, "no space left on device"},
    {EDQUOT, FileFailure::NoSpace, false, "disk quota exceeded"},
    {EFBIG, FileFailure::NoSpace, false, "file too large"},
    {EACCES, FileFailure::Refused, false, "permission denied"},
    {EPERM, FileFailure::Refused, false, "operation not permitted"},
    {EROFS, FileFailure::Refused, false, "read-only file system"},
    {EXDEV, FileFailure::Unsupported, false, "not on the same file system"},
    {EMLINK, FileFailure::Unsupported, false, "too many links"},
    {EOPNOTSUPP, FileFailure::Unsupported, false, "not supported"},
    {ENOSYS, FileFailure::Unsupported, false, "not implemented"},
    {EIO, FileFailure::Other, false, "input/output error"},
    {EISDIR, FileFailure::Other, false, "is a folder"},
    {ELOOP, FileFailure::Other, false, "a link is in the way"},
    {ENAMETOOLONG, FileFailure::Other, false, "name too long"},
    {EINVAL, FileFailure::Other, false, "invalid argument"},
    {EMFILE, FileFailure::Other, false, "too many open files"},
    {ENXIO, FileFailure::Other, false, "no such device"},
    {ENODEV, FileFailure::Other, false, "no such device"},
};
static_assert(EWOULDBLOCK == EAGAIN && (ENOTSUP == EOPNOTSUPP));

} // namespace

std::span<const SystemErrorRow> SystemErrorTable() {
    return kRows;
}

int GenericSystemErrorCode() {
    return EIO;
}

int LastSystemErrorCode() {
    return errno;
}
