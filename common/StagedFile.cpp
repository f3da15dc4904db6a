#include "common/StagedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <random>

namespace {

std::string HiddenCandidate() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = ".staged-";
    for (int index = 0; index < 12; ++index)
        name += digits[generator() % 36];
    return name + ".tmp";
}

bool RenameNoReplaceAt(int folder, const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, folder, from.c_str(), folder, to.c_str(), 1 /*NOREPLACE*/) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without the flag: a hard link never replaces an existing name.
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0)
        return false;
    ::unlinkat(folder, from.c_str(), 0);
    return true;
}

std::string ProcPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

StagedFile::~StagedFile() {
    Discard();
}

bool StagedFile::Create(const std::string& folder) {
    Discard();
    folder_ = folder;
    folderFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd_ < 0)
        return false;
    // An unnamed file vanishes by itself if the process dies; it needs /proc to be named.
    if (::access("/proc/self/fd", X_OK) == 0) {
        file_ = ::openat(folderFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
        if (file_ >= 0)
            return true;
    }
    for (int attempt = 0; attempt < 100 && file_ < 0; ++attempt) {
        hiddenName_ = HiddenCandidate();
        file_ = ::openat(folderFd_, hiddenName_.c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (file_ < 0 && errno != EEXIST)
            break;
    }
    if (file_ < 0) {
        int error = errno;
        hiddenName_.clear();
        Discard();
        errno = error;
        return false;
    }
    return true;
}

bool StagedFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::write(file_, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool StagedFile::WriteAt(const void* data, std::size_t size, std::uint64_t offset) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = ::pwrite(file_, bytes, size, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
        offset += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool StagedFile::ReadAt(void* data, std::size_t size, std::uint64_t offset) const {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = ::pread(file_, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = EIO;
            return false;
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool StagedFile::LinkHidden(std::string& hiddenName) {
    if (!hiddenName_.empty()) {
        hiddenName = hiddenName_;
        return true;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        hiddenName = HiddenCandidate();
        if (::linkat(AT_FDCWD, ProcPathOf(file_).c_str(), folderFd_, hiddenName.c_str(),
                     AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool StagedFile::PublishAs(const std::string& name) {
    if (file_ < 0 || name.empty() || name.find('/') != std::string::npos) {
        errno = EINVAL;
        return false;
    }
    if (::fsync(file_) != 0)
        return false;
    bool published = hiddenName_.empty() ? ::linkat(AT_FDCWD, ProcPathOf(file_).c_str(), folderFd_,
                                                    name.c_str(), AT_SYMLINK_FOLLOW) == 0
                                         : RenameNoReplaceAt(folderFd_, hiddenName_, name);
    if (!published)
        return false;
    hiddenName_.clear();
    ::close(file_);
    file_ = -1;
    bool flushed = FlushFolder();
    Discard();
    return flushed;
}

bool StagedFile::ReplaceAs(const std::string& name) {
    if (file_ < 0 || name.empty() || name.find('/') != std::string::npos) {
        errno = EINVAL;
        return false;
    }
    struct stat info;
    if (::fstatat(folderFd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode)) {
        errno = EEXIST;
        return false;
    }
    std::string hiddenName;
    if (::fsync(file_) != 0 || !LinkHidden(hiddenName))
        return false;
    hiddenName_ = hiddenName;
    if (::renameat(folderFd_, hiddenName_.c_str(), folderFd_, name.c_str()) != 0)
        return false;
    hiddenName_.clear();
    ::close(file_);
    file_ = -1;
    bool flushed = FlushFolder();
    Discard();
    return flushed;
}

bool StagedFile::FlushFolder() const {
    return ::fsync(folderFd_) == 0;
}

void StagedFile::Discard() {
    if (file_ >= 0)
        ::close(file_);
    file_ = -1;
    if (!hiddenName_.empty() && folderFd_ >= 0)
        ::unlinkat(folderFd_, hiddenName_.c_str(), 0);
    hiddenName_.clear();
    if (folderFd_ >= 0)
        ::close(folderFd_);
    folderFd_ = -1;
}
