#include "platform/StdFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenStdFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* OpenRegularStdFile(const std::string& path) {
    // Checked before opening: opening a named pipe would wait for a writer.
    struct stat info;
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return nullptr;
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file && !IsRegularOpenFile(file)) {
        std::fclose(file);
        errno = EINVAL;
        return nullptr;
    }
    return file;
}

namespace {

// A stream writing to a file opened with extra flags, never through a link at its name.
std::FILE* OutputStream(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | flags, 0644);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file)
        ::close(fd);
    return file;
}

} // namespace

std::FILE* CreateOutputFile(const std::string& path) {
    return OutputStream(path, O_TRUNC);
}

std::FILE* CreateNewOutputFile(const std::string& path) {
    return OutputStream(path, O_EXCL);
}

std::optional<std::uint64_t> OpenFileLength(std::FILE* file) {
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0 || info.st_size < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool IsRegularOpenFile(std::FILE* file) {
    struct stat info;
    return ::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

int SeekStdFile(std::FILE* file, std::int64_t offset, int whence) {
    return ::fseeko(file, static_cast<off_t>(offset), whence);
}

std::int64_t TellStdFile(std::FILE* file) {
    return static_cast<std::int64_t>(::ftello(file));
}
