#include "platform/FileSteps.h"

#include "platform/FaultInjection.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

int CreateExclusive(const std::string& path) {
    if (FaultInjection::ShouldFail(FileStep::Create))
        return -1;
    int descriptor;
    do
        descriptor =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

bool WriteFully(int descriptor, const char* data, std::size_t size) {
    if (FaultInjection::ShouldFail(FileStep::Write))
        return false;
    while (size > 0) {
        const ssize_t put = ::write(descriptor, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool FlushToDisk(int descriptor) {
    if (FaultInjection::ShouldFail(FileStep::Flush))
        return false;
    return FaultInjection::Active() || ::fsync(descriptor) == 0;
}

bool FlushFolder(const std::string& folder) {
    if (FaultInjection::ShouldFail(FileStep::Flush))
        return false;
    if (FaultInjection::Active())
        return true;
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    // Some file systems cannot flush a folder; the renames in it are then as safe as they get.
    const bool flushed = ::fsync(descriptor) == 0 || errno == EINVAL;
    ::close(descriptor);
    return flushed;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    if (FaultInjection::ShouldFail(FileStep::Rename))
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameRefusing(const std::string& from, const std::string& to) {
    if (FaultInjection::ShouldFail(FileStep::Rename))
        return false;
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /*NOREPLACE*/) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without the no-replace flag: link-then-unlink never replaces a file.
    return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}

bool LinkFile(const std::string& existing, const std::string& newName) {
    if (FaultInjection::ShouldFail(FileStep::Rename))
        return false;
    return ::link(existing.c_str(), newName.c_str()) == 0;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

bool CloseFile(int descriptor) {
    return ::close(descriptor) == 0;
}

int OpenForFlushing(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
}

bool FlushDataEarly(int descriptor) {
    return ::fdatasync(descriptor) == 0;
}
