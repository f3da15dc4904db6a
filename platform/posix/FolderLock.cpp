#include "platform/FolderLock.h"

#include "platform/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTakeOverAttempts = 100;

} // namespace

FolderLock::~FolderLock() {
    Unlock();
}

FolderLock::Result FolderLock::LockFile(const std::string& lockPath) {
    Unlock();
    return LockPath(lockPath, false);
}

FolderLock::Result FolderLock::LockFolder(const std::string& folder) {
    Unlock();
    const std::string path = JoinPath(folder, kFolderLockName);
    for (int attempt = 0; attempt < kTakeOverAttempts; ++attempt) {
        const Result result = LockPath(path, true);
        if (result != Result::Taken)
            return result;
        // A holder removes the file as it lets go: a lock on a file that lost its name guards
        // nothing, so the name is opened again.
        if (StillNamed(path)) {
            removeOnUnlock_ = path;
            return Result::Taken;
        }
        Unlock();
    }
    error_ = {"flock", path, EWOULDBLOCK};
    return Result::HeldByAnother;
}

FolderLock::Result FolderLock::LockPath(const std::string& path, bool) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        error_ = SystemError::Last("open", path);
        return Result::Unavailable;
    }
    int locked;
    do
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        error_ = SystemError::Last("flock", path);
        ::close(descriptor);
        return error_.code == EWOULDBLOCK ? Result::HeldByAnother : Result::Unavailable;
    }
    descriptor_ = descriptor;
    return Result::Taken;
}

bool FolderLock::StillNamed(const std::string& path) const {
    struct stat open, named;
    return ::fstat(static_cast<int>(descriptor_), &open) == 0 &&
           ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

void FolderLock::Unlock() {
    // Removed while still locked, so that nobody takes a lock on a name about to go.
    if (!removeOnUnlock_.empty())
        ::unlink(removeOnUnlock_.c_str());
    removeOnUnlock_.clear();
    if (descriptor_ >= 0)
        ::close(static_cast<int>(descriptor_));
    descriptor_ = -1;
}
