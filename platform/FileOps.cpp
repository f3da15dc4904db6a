#include "platform/FileOps.h"

#include "platform/SafeFile.h"

#include <cerrno>
#include <random>

// The parts of the file operations that are the same on both systems, built on the rest.

FolderStatus EnsureFolder(const std::string& path) {
    if (FolderExists(path))
        return FolderStatus::Existed;
    const PathInfo info = InspectPath(path);
    if (info.kind == PathKind::Unknown)
        return FolderStatus::Uninspectable;
    if (info.kind != PathKind::Missing) {
        errno = ENOTDIR;
        return FolderStatus::NotAFolder;
    }
    if (CreateFolder(path))
        return FolderStatus::Created;
    // Made meanwhile by another program: as good as made here.
    const int error = errno;
    if (FolderExists(path))
        return FolderStatus::Created;
    errno = error;
    return FolderStatus::CreateFailed;
}

bool CreateFolderTree(const std::string& path) {
    if (path.empty())
        return false;
    // Each folder from the top down; the first component (a root or a drive) is never made.
    for (std::size_t separator = path.find_first_of("/\\", 1); separator != std::string::npos;
         separator = path.find_first_of("/\\", separator + 1)) {
        const std::string folder = path.substr(0, separator);
        if (folder.empty() || folder.back() == ':' || path[separator - 1] == '/' ||
            path[separator - 1] == '\\')
            continue;
        const FolderStatus status = EnsureFolder(folder);
        if (status != FolderStatus::Existed && status != FolderStatus::Created)
            return false;
    }
    const FolderStatus last = EnsureFolder(path);
    return last == FolderStatus::Existed || last == FolderStatus::Created;
}

std::string CreateUniqueFolder(const std::string& parent, const std::string& stem) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = JoinPath(parent, stem);
        for (int i = 0; i < 6; ++i)
            path += kLetters[pick(random)];
        if (CreateFolder(path))
            return path;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
    // A fresh temporary file also keeps a copy of a file onto itself from emptying it.
    SafeFile copy(to, SafeFile::Care::Unflushed);
    return FileExists(from) && copy.CopyFrom(from) && copy.Commit();
}

bool CopyFileRefusing(const std::string& from, const std::string& to) {
    if (!FileExists(from) || InspectPath(to).kind != PathKind::Missing)
        return false;
    SafeFile copy(to, SafeFile::Care::Unflushed);
    return copy.CopyFrom(from) && copy.CommitRefusing();
}

bool IsReplaceable(const std::string& path) {
    const PathInfo info = InspectPath(path);
    return info.kind == PathKind::Missing || info.kind == PathKind::RegularFile;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}
