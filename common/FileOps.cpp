#include "common/FileOps.h"

#include "common/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

bool StatPath(const std::string& path, struct stat& info) {
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    return static_cast<int>(
        ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /*NOREPLACE*/));
#else
    errno = ENOSYS;
    return -1;
#endif
}

bool PathTaken(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string ExecutableFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer.data(), static_cast<size_t>(length));
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string WorkBaseFolder(const std::string& programName) {
    std::string folder = ExecutableFolder();
    // The build tree marks its program folder; there the work folders stay beside the
    // programs. An installed program keeps them in the user's data folder, laid out as Qt's
    // application data location (organisation and application name are the program's name).
    if (FileExists(folder + "/" + kBuildTreeMarker))
        return folder;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base = dataHome && *dataHome
                           ? dataHome
                           : std::string(home && *home ? home : "/tmp") + "/.local/share";
    std::string result = base + "/" + programName + "/" + programName;
    std::error_code error;
    std::filesystem::create_directories(result, error);
    return result;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return StatPath(path, info) && S_ISREG(info.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat info;
    return StatPath(path, info) && S_ISDIR(info.st_mode);
}

std::optional<std::uint64_t> FileLength(const std::string& path) {
    struct stat info;
    if (!StatPath(path, info) || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool CreateFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0755) == 0;
}

bool IsReplaceable(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
    // A fresh temporary file also keeps a copy of a file onto itself from emptying it.
    SafeFile copy(to, SafeFile::Care::Unflushed);
    return FileExists(from) && copy.CopyFrom(from) && copy.Commit();
}

bool CopyFileRefusing(const std::string& from, const std::string& to) {
    if (!FileExists(from) || PathTaken(to))
        return false;
    SafeFile copy(to, SafeFile::Care::Unflushed);
    return copy.CopyFrom(from) && copy.CommitRefusing();
}

bool MoveNoReplace(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty() || PathTaken(to))
        return false;
    if (RenameNoReplace(from, to) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno == EXDEV) {
        if (!FileExists(from) || !CopyFileRefusing(from, to))
            return false;
        return ::unlink(from.c_str()) == 0;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        // File systems without the no-replace flag: link-then-unlink never replaces a file.
        if (FileExists(from) && ::link(from.c_str(), to.c_str()) == 0)
            return ::unlink(from.c_str()) == 0;
    }
    return false;
}

bool RemoveFile(const std::string& path) {
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}
