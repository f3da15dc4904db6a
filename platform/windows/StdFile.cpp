#include "platform/StdFile.h"

#include "platform/windows/WindowsText.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace {

std::FILE* Failing(SystemError* error, SystemError cause) {
    if (error)
        *error = std::move(cause);
    return nullptr;
}

// A binary stream writing through a handle we opened; the stream owns it.
std::FILE* OutputStream(HANDLE handle, const std::string& path, SystemError* error) {
    const int descriptor = DescriptorOf(handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0)
        return Failing(error, LastError("_open_osfhandle", path));
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) {
        _close(descriptor);
        return Failing(error, {"_fdopen", path, ERROR_TOO_MANY_OPEN_FILES});
    }
    return file;
}

} // namespace

std::FILE* OpenStdFile(const std::string& path, const char* mode, SystemError* error) {
    SetLastError(0);
    std::FILE* file = _wfopen(WidePath(path).c_str(), Wide(mode).c_str());
    if (!file)
        return Failing(error, LastError("_wfopen", path));
    return file;
}

std::FILE* OpenRegularStdFile(const std::string& path, SystemError* error) {
    // A folder does not open as a file here, and a named pipe of another program is not a
    // disk file: both are refused by the type check.
    if (path.empty())
        return Failing(error, {"_wfopen", path, ERROR_FILE_NOT_FOUND});
    std::FILE* file = OpenStdFile(path, "rb", error);
    if (file && !IsRegularOpenFile(file)) {
        std::fclose(file);
        return Failing(error, {"_wfopen", path, ERROR_INVALID_PARAMETER});
    }
    return file;
}

std::FILE* CreateOutputFile(const std::string& path, SystemError* error) {
    // Never through a reparse point: the name itself is opened, and refused when it is one.
    HANDLE handle =
        CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Failing(error, LastError("CreateFileW", path));
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        !SetEndOfFile(handle)) {
        CloseHandle(handle);
        return Failing(error, {"CreateFileW", path, ERROR_ACCESS_DENIED});
    }
    return OutputStream(handle, path, error);
}

std::FILE* CreateNewOutputFile(const std::string& path, SystemError* error) {
    HANDLE handle =
        CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Failing(error, LastError("CreateFileW", path));
    return OutputStream(handle, path, error);
}

std::optional<std::uint64_t> OpenFileLength(std::FILE* file) {
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || info.st_size < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool IsRegularOpenFile(std::FILE* file) {
    HANDLE handle = HandleOf(_fileno(file));
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int SeekStdFile(std::FILE* file, std::int64_t offset, int whence) {
    return _fseeki64(file, offset, whence);
}

std::int64_t TellStdFile(std::FILE* file) {
    return _ftelli64(file);
}
