#include "platform/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::~FolderLock() {
    Unlock();
}

FolderLock::Result FolderLock::LockFile(const std::string& lockPath) {
    Unlock();
    return LockDescriptor(
        ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
}

FolderLock::Result FolderLock::LockFolder(const std::string& folder) {
    Unlock();
    return LockDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

FolderLock::Result FolderLock::LockDescriptor(std::intptr_t native) {
    const int descriptor = static_cast<int>(native);
    if (descriptor < 0)
        return Result::Unavailable;
    int locked;
    do
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(descriptor);
        return busy ? Result::HeldByAnother : Result::Unavailable;
    }
    descriptor_ = descriptor;
    return Result::Taken;
}

void FolderLock::Unlock() {
    if (descriptor_ >= 0)
        ::close(static_cast<int>(descriptor_));
    descriptor_ = -1;
}
