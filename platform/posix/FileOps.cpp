#include "platform/FileOps.h"

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
    if (path.empty()) {
        errno = ENOENT;
        return {};
    }
    if (::lstat(path.c_str(), &info) != 0)
        return {errno == ENOENT ? PathKind::Missing : PathKind::Unknown, 0};
    const PathKind kind = KindOf(info.st_mode);
    return {kind, kind == PathKind::RegularFile ? static_cast<std::uint64_t>(info.st_size) : 0};
}

bool CreateFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0755) == 0;
}

bool RemoveEmptyFolder(const std::string& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool HeldOpenByAnother(const std::string&) {
    return false;
}

bool IsReadOnlyFile(const std::string&) {
    return false;
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
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(path.c_str()) == 0;
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

std::vector<FolderEntry> ListFolder(const std::string& folder, std::size_t maxEntries) {
    std::vector<FolderEntry> entries;
    DIR* listing = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!listing)
        return entries;
    while (entries.size() < maxEntries) {
        const dirent* entry = ::readdir(listing);
        if (!entry)
            break;
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const PathInfo info = InspectPath(folder + "/" + name);
        entries.push_back({name, info.kind});
    }
    ::closedir(listing);
    return entries;
}
