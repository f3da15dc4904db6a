#include "platform/FileOps.h"

#include "platform/FaultInjection.h"
#include "platform/HeldFileRetry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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

PathKind KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return PathKind::RegularFile;
    if (S_ISDIR(mode))
        return PathKind::Folder;
    if (S_ISLNK(mode))
        return PathKind::Link;
    return PathKind::Other;
}

SystemError Error(int code, const char* call, const std::string& path) {
    return {call, path, code};
}

FileResult Moved(const std::string& from, const std::string& to) {
    if (auto fault = FaultInjection::Fault(FileStep::Move, "renameat2", from))
        return *fault;
    if (RenameNoReplace(from, to) == 0)
        return {};
    const SystemError renameError = SystemError::Last("renameat2", from);
    if (renameError.code == EXDEV) {
        if (!FileExists(from))
            return renameError;
        if (const FileResult copied = CopyFileRefusing(from, to); !copied)
            return copied;
        if (::unlink(from.c_str()) != 0)
            return SystemError::Last("unlink", from);
        return {};
    }
    if (renameError.code == EINVAL || renameError.code == ENOSYS) {
        // File systems without the no-replace flag: link-then-unlink never replaces a file.
        if (!FileExists(from))
            return renameError;
        if (::link(from.c_str(), to.c_str()) != 0)
            return SystemError::Last("link", to);
        if (::unlink(from.c_str()) != 0)
            return SystemError::Last("unlink", from);
        return {};
    }
    return renameError;
}

} // namespace

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

PathInfo InspectPath(const std::string& path) {
    struct stat info;
    if (path.empty())
        return {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return {};
        return {PathKind::Unknown, 0, SystemError::Last("lstat", path)};
    }
    const PathKind kind = KindOf(info.st_mode);
    return {kind, kind == PathKind::RegularFile ? static_cast<std::uint64_t>(info.st_size) : 0};
}

FileResult CreateFolder(const std::string& path) {
    if (path.empty())
        return Error(ENOENT, "mkdir", path);
    if (::mkdir(path.c_str(), 0755) != 0)
        return SystemError::Last("mkdir", path);
    return {};
}

FileResult RemoveEmptyFolder(const std::string& path) {
    if (path.empty())
        return Error(ENOENT, "rmdir", path);
    if (::rmdir(path.c_str()) != 0)
        return SystemError::Last("rmdir", path);
    return {};
}

bool HeldOpenByAnother(const std::string&) {
    return false;
}

bool OpenByAnother(const std::string&) {
    return false;
}

bool IsReadOnlyFile(const std::string&) {
    return false;
}

FileResult MoveNoReplace(const std::string& from, const std::string& to) {
    if (from.empty())
        return Error(ENOENT, "renameat2", from);
    if (to.empty() || PathTaken(to))
        return Error(to.empty() ? ENOENT : EEXIST, "renameat2", to);
    return RetryWhileHeld([&] { return Moved(from, to); });
}

FileResult RemoveFile(const std::string& path) {
    return RetryWhileHeld([&]() -> FileResult {
        if (auto fault = FaultInjection::Fault(FileStep::Remove, "unlink", path))
            return *fault;
        struct stat info;
        if (path.empty())
            return Error(ENOENT, "unlink", path);
        if (::lstat(path.c_str(), &info) != 0)
            return SystemError::Last("lstat", path);
        if (S_ISDIR(info.st_mode))
            return Error(EISDIR, "unlink", path);
        if (::unlink(path.c_str()) != 0)
            return SystemError::Last("unlink", path);
        return {};
    });
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string WithSystemSeparators(const std::string& path) {
    return path;
}

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string CanonicalPath(const std::string& path) {
    if (path.empty())
        return {};
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::vector<FolderEntry> ListFolder(const std::string& folder, std::size_t maxEntries,
                                    SystemError* error) {
    std::vector<FolderEntry> entries;
    const std::string opened = folder.empty() ? "/" : folder;
    DIR* listing = ::opendir(opened.c_str());
    if (!listing) {
        if (error)
            *error = SystemError::Last("opendir", opened);
        return entries;
    }
    while (entries.size() < maxEntries) {
        const dirent* entry = ::readdir(listing);
        if (!entry)
            break;
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const PathInfo info = InspectPath(JoinPath(opened, name));
        entries.push_back({name, info.kind});
    }
    ::closedir(listing);
    return entries;
}
