#include "platform/FileFailure.h"

#include <cerrno>

FileFailure FileFailureOf(int error) {
    switch (error) {
    case 0:
        return FileFailure::None;
    case ENOENT:
    case ENOTDIR:
        return FileFailure::Missing;
    case EEXIST:
    case ENOTEMPTY:
        return FileFailure::Exists;
    case EBUSY:
    case ETXTBSY:
        return FileFailure::Busy;
    case ENOSPC:
        return FileFailure::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileFailure::Refused;
    default:
        return FileFailure::Other;
    }
}

FileFailure LastFileFailure() {
    return FileFailureOf(errno);
}
