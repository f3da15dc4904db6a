#include "platform/FileSteps.h"

#include "platform/FaultInjection.h"
#include "platform/HeldFileRetry.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

void Tell(SystemError* error, SystemError cause) {
    if (error)
        *error = std::move(cause);
}

FileResult RenameRefusingOnce(const std::string& from, const std::string& to) {
    if (auto fault = FaultInjection::Fault(FileStep::Rename, "renameat2", from))
        return *fault;
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0)
        return SystemError{"renameat2", to, EEXIST};
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /*NOREPLACE*/) ==
        0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return SystemError::Last("renameat2", from);
#endif
    // File systems without the no-replace flag: link-then-unlink never replaces a file.
    if (::link(from.c_str(), to.c_str()) != 0)
        return SystemError::Last("link", to);
    if (::unlink(from.c_str()) != 0)
        return SystemError::Last("unlink", from);
    return {};
}

} // namespace

int CreateExclusive(const std::string& path, SystemError* error) {
    if (auto fault = FaultInjection::Fault(FileStep::Create, "open", path)) {
        Tell(error, *fault);
        return -1;
    }
    int descriptor;
    do
        descriptor =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        Tell(error, SystemError::Last("open", path));
    return descriptor;
}

FileResult WriteFully(int descriptor, const char* data, std::size_t size) {
    if (auto fault = FaultInjection::Fault(FileStep::Write, "write", ""))
        return *fault;
    while (size > 0) {
        const ssize_t put = ::write(descriptor, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return SystemError::Last("write", "");
        if (put == 0)
            return SystemError{"write", "", ENOSPC};
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return {};
}

FileResult FlushToDisk(int descriptor) {
    if (auto fault = FaultInjection::Fault(FileStep::Flush, "fsync", ""))
        return *fault;
    if (FaultInjection::Active() || ::fsync(descriptor) == 0)
        return {};
    return SystemError::Last("fsync", "");
}

FileResult FlushFolder(const std::string& folder) {
    if (auto fault = FaultInjection::Fault(FileStep::Flush, "fsync", folder))
        return *fault;
    if (FaultInjection::Active())
        return {};
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return SystemError::Last("open", folder);
    // Some file systems cannot flush a folder; the renames in it are then as safe as they get.
    FileResult flushed;
    if (::fsync(descriptor) != 0 && errno != EINVAL)
        flushed = SystemError::Last("fsync", folder);
    ::close(descriptor);
    return flushed;
}

FileResult RenameReplacing(const std::string& from, const std::string& to) {
    return RetryWhileHeld([&]() -> FileResult {
        if (auto fault = FaultInjection::Fault(FileStep::Rename, "rename", to))
            return *fault;
        if (::rename(from.c_str(), to.c_str()) != 0)
            return SystemError::Last("rename", to);
        return {};
    });
}

FileResult RenameRefusing(const std::string& from, const std::string& to) {
    return RetryWhileHeld([&] { return RenameRefusingOnce(from, to); });
}

FileResult LinkFile(const std::string& existing, const std::string& newName) {
    if (auto fault = FaultInjection::Fault(FileStep::Rename, "link", newName))
        return *fault;
    if (::link(existing.c_str(), newName.c_str()) != 0)
        return SystemError::Last("link", newName);
    return {};
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

FileResult CloseFile(int descriptor) {
    if (::close(descriptor) != 0)
        return SystemError::Last("close", "");
    return {};
}

int OpenForFlushing(const std::string& path, SystemError* error) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        Tell(error, SystemError::Last("open", path));
    return descriptor;
}

bool FlushDataEarly(int descriptor) {
    return ::fdatasync(descriptor) == 0;
}
