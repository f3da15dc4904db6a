#include "platform/FolderWritable.h"

#include "platform/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

FolderAccess AccessOf(SystemError cause, SystemError* error) {
    const bool denied = cause.code == EACCES || cause.code == EPERM;
    if (error)
        *error = std::move(cause);
    return denied ? FolderAccess::Denied : FolderAccess::Failed;
}

// Where the file system lacks unnamed files: a fresh name, created exclusively and removed.
FolderAccess ProbeWithNamedFile(const std::string& folder, SystemError* error) {
    std::random_device random;
    std::string probe;
    for (int attempt = 0; attempt < 16; ++attempt) {
        probe = JoinPath(folder, ".palisor-probe-" + std::to_string(random()) + ".tmp");
        const int descriptor =
            ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor >= 0) {
            ::close(descriptor);
            ::unlink(probe.c_str());
            return FolderAccess::Writable;
        }
        if (errno != EEXIST)
            return AccessOf(SystemError::Last("open", probe), error);
    }
    return AccessOf({"open", probe, EEXIST}, error);
}

} // namespace

FolderAccess ProbeFolderWritable(const std::string& folder, SystemError* error) {
#ifdef O_TMPFILE
    // An unnamed file: nothing is left behind even if the program dies right here.
    const int descriptor = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
        ::close(descriptor);
        return FolderAccess::Writable;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return AccessOf(SystemError::Last("open", folder), error);
#endif
    return ProbeWithNamedFile(folder, error);
}
