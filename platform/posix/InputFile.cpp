#include "platform/InputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

InputFile::~InputFile() {
    Close();
}

bool InputFile::OpenOnce(const std::string& path, Links links) {
    if (path.empty()) {
        error_ = {"open", path, ENOENT};
        return false;
    }
    // Non-blocking, so that a named pipe cannot hang the open before it is refused.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int descriptor = ::open(path.c_str(), flags);
    if (descriptor < 0) {
        error_ = SystemError::Last("open", path);
        return false;
    }
    struct stat info;
    const bool inspected = ::fstat(descriptor, &info) == 0;
    if (!inspected || !S_ISREG(info.st_mode)) {
        error_ = !inspected ? SystemError::Last("fstat", path)
                            : SystemError{"open", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL};
        ::close(descriptor);
        return false;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    native_ = descriptor;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::int64_t InputFile::Read(void* data, std::size_t size) {
    ssize_t got;
    do
        got = ::read(static_cast<int>(native_), data, size);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        error_ = SystemError::Last("read", path_);
    return got;
}

std::int64_t InputFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    ssize_t got;
    do
        got = ::pread(static_cast<int>(native_), data, size, static_cast<off_t>(offset));
    while (got < 0 && errno == EINTR);
    if (got < 0)
        error_ = SystemError::Last("pread", path_);
    return got;
}

void InputFile::Close() {
    if (native_ != -1)
        ::close(static_cast<int>(native_));
    native_ = -1;
    size_ = 0;
    path_.clear();
}
