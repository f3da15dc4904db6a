#include "platform/StdFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::FILE* Failing(SystemError* error, SystemError cause) {
    if (error)
        *error = std::move(cause);
    return nullptr;
}

// A stream writing to a file opened with extra flags, never through a link at its name.
std::FILE* OutputStream(const std::string& path, int flags, SystemError* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | flags, 0644);
    if (fd < 0)
        return Failing(error, SystemError::Last("open", path));
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const SystemError cause = SystemError::Last("fdopen", path);
        ::close(fd);
        return Failing(error, cause);
    }
    return file;
}

} // namespace

std::FILE* OpenStdFile(const std::string& path, const char* mode, SystemError* error) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file)
        return Failing(error, SystemError::Last("fopen", path));
    return file;
}

std::FILE* OpenRegularStdFile(const std::string& path, SystemError* error) {
    // Checked before opening: opening a named pipe would wait for a writer.
    struct stat info;
    if (path.empty())
        return Failing(error, {"stat", path, ENOENT});
    if (::stat(path.c_str(), &info) != 0)
        return Failing(error, SystemError::Last("stat", path));
    if (!S_ISREG(info.st_mode))
        return Failing(error, {"fopen", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL});
    std::FILE* file = OpenStdFile(path, "rb", error);
    if (file && !IsRegularOpenFile(file)) {
        std::fclose(file);
        return Failing(error, {"fopen", path, EINVAL});
    }
    return file;
}

std::FILE* CreateOutputFile(const std::string& path, SystemError* error) {
    return OutputStream(path, O_TRUNC, error);
}

std::FILE* CreateNewOutputFile(const std::string& path, SystemError* error) {
    return OutputStream(path, O_EXCL, error);
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
