#include "platform/FileOps.h"

#include "platform/SafeFile.h"

#include <random>

// The parts of the file operations that are the same on both systems, built on the rest.

namespace {

void Tell(SystemError* error, SystemError cause) {
    if (error)
        *error = std::move(cause);
}

} // namespace

FolderStatus EnsureFolder(const std::string& path, SystemError* error) {
    if (FolderExists(path))
        return FolderStatus::Existed;
    const PathInfo info = InspectPath(path);
    if (info.kind == PathKind::Unknown) {
        Tell(error, info.error);
        return FolderStatus::Uninspectable;
    }
    if (info.kind != PathKind::Missing) {
        // As the system answers a folder made where a file is.
        Tell(error, SystemError::OfKind(FileFailure::Exists, "CreateFolder", path));
        return FolderStatus::NotAFolder;
    }
    const FileResult created = CreateFolder(path);
    // Made meanwhile by another program: as good as made here.
    if (created || FolderExists(path))
        return FolderStatus::Created;
    Tell(error, created.Error());
    return FolderStatus::CreateFailed;
}

FileResult CreateFolderTree(const std::string& path, FolderStatus* failure) {
    if (path.empty())
        return SystemError::OfKind(FileFailure::Missing, "CreateFolder", path);
    // Each folder from the top down; the first component (a root or a drive) is never made.
    for (std::size_t separator = path.find_first_of("/\\", 1);;
         separator = path.find_first_of("/\\", separator + 1)) {
        const std::string folder = path.substr(0, separator);
        const bool last = separator == std::string::npos;
        if (!last && (folder.empty() || folder.back() == ':' || path[separator - 1] == '/' ||
                      path[separator - 1] == '\\'))
            continue;
        SystemError error;
        const FolderStatus status = EnsureFolder(folder, &error);
        if (status != FolderStatus::Existed && status != FolderStatus::Created) {
            if (failure)
                *failure = status;
            return error;
        }
        if (last)
            return {};
    }
}

std::string CreateUniqueFolder(const std::string& parent, const std::string& stem,
                               SystemError* error) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    FileResult created;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = JoinPath(parent, stem);
        for (int i = 0; i < 6; ++i)
            path += kLetters[pick(random)];
        created = CreateFolder(path);
        if (created)
            return path;
        if (created.Kind() != FileFailure::Exists)
            break;
    }
    Tell(error, created.Error());
    return {};
}

FileResult CopyFileReplacing(const std::string& from, const std::string& to) {
    // A fresh temporary file also keeps a copy of a file onto itself from emptying it.
    SafeFile copy(to, SafeFile::Care::Unflushed);
    if (copy.CopyFrom(from) && copy.Commit())
        return {};
    return copy.Error();
}

FileResult CopyFileRefusing(const std::string& from, const std::string& to) {
    if (InspectPath(to).kind != PathKind::Missing)
        return SystemError::OfKind(FileFailure::Exists, "CopyFile", to);
    SafeFile copy(to, SafeFile::Care::Unflushed);
    if (copy.CopyFrom(from) && copy.CommitRefusing())
        return {};
    return copy.Error();
}

bool IsReplaceable(const std::string& path) {
    const PathInfo info = InspectPath(path);
    return info.kind == PathKind::Missing || info.kind == PathKind::RegularFile;
}
