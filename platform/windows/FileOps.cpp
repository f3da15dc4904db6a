#include "platform/FileOps.h"

#include "platform/FaultInjection.h"
#include "platform/HeldFileRetry.h"
#include "platform/windows/WindowsText.h"

#include <algorithm>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attributes of what a path finally leads to, links followed (as stat does).
bool FollowedInformation(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    if (path.empty())
        return false;
    HANDLE handle = CreateFileW(WidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    return known;
}

bool IsFolderAttributes(DWORD attributes) {
    return attributes & FILE_ATTRIBUTE_DIRECTORY;
}

PathKind KindOf(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return PathKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return PathKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return PathKind::Other;
    return PathKind::RegularFile;
}

SystemError Error(DWORD code, const char* call, const std::string& path) {
    return {call, path, static_cast<int>(code)};
}

FileResult MovedOnce(const std::string& from, const std::string& to) {
    if (auto fault = FaultInjection::Fault(FileStep::Move, "MoveFileExW", from))
        return *fault;
    // Without MOVEFILE_REPLACE_EXISTING nothing is replaced; a file moves across volumes by a
    // copy and a deletion, as on Linux.
    if (!MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                     MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return LastError("MoveFileExW", from);
    return {};
}

FileResult RemovedOnce(const std::string& path) {
    if (auto fault = FaultInjection::Fault(FileStep::Remove, "DeleteFileW", path))
        return *fault;
    const std::wstring wide = WidePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return LastError("GetFileAttributesExW", path);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A link to a folder (a directory symbolic link or a junction) is removed as a folder,
        // which removes the link and never what it leads to; a real folder is refused.
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return Error(ERROR_ACCESS_DENIED, "DeleteFileW", path);
        if (!RemoveDirectoryW(wide.c_str()))
            return LastError("RemoveDirectoryW", path);
        return {};
    }
    if (!DeleteFileW(wide.c_str()))
        return LastError("DeleteFileW", path);
    return {};
}

// True when a regular file at path refuses an open for access, sharing share, because
// another handle holds it.
bool OpenIsRefusedBySharing(const std::string& path, DWORD access, DWORD share) {
    if (InspectPath(path).kind != PathKind::RegularFile)
        return false;
    HANDLE handle = CreateFileW(WidePath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    }
    CloseHandle(handle);
    return false;
}

} // namespace

bool FileExists(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info;
    return FollowedInformation(path, info) && !IsFolderAttributes(info.dwFileAttributes);
}

bool FolderExists(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info;
    return FollowedInformation(path, info) && IsFolderAttributes(info.dwFileAttributes);
}

std::optional<std::uint64_t> FileLength(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!FollowedInformation(path, info) || IsFolderAttributes(info.dwFileAttributes))
        return std::nullopt;
    return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

PathInfo InspectPath(const std::string& path) {
    // Of the name itself: GetFileAttributesExW does not follow a reparse point.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty())
        return {};
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        const SystemError error = LastError("GetFileAttributesExW", path);
        if (error.Kind() == FileFailure::Missing)
            return {};
        return {PathKind::Unknown, 0, error};
    }
    const PathKind kind = KindOf(data.dwFileAttributes);
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return {kind, kind == PathKind::RegularFile ? size : 0};
}

FileResult CreateFolder(const std::string& path) {
    if (path.empty())
        return Error(ERROR_PATH_NOT_FOUND, "CreateDirectoryW", path);
    if (!CreateDirectoryW(WidePath(path).c_str(), nullptr))
        return LastError("CreateDirectoryW", path);
    return {};
}

FileResult RemoveEmptyFolder(const std::string& path) {
    if (path.empty())
        return Error(ERROR_PATH_NOT_FOUND, "RemoveDirectoryW", path);
    if (!RemoveDirectoryW(WidePath(path).c_str()))
        return LastError("RemoveDirectoryW", path);
    return {};
}

bool HeldOpenByAnother(const std::string& path) {
    // Replacing the file needs deletion access to it; a program that opened it without sharing
    // deletion (as the game holds its files while it runs) makes that a sharing violation.
    return OpenIsRefusedBySharing(path, DELETE, kShareAll);
}

bool OpenByAnother(const std::string& path) {
    // Opening it for reading without sharing anything fails while any other handle reads,
    // writes or deletes it, whatever that handle shares.
    return OpenIsRefusedBySharing(path, GENERIC_READ, 0);
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) ==
               FILE_ATTRIBUTE_READONLY;
}

FileResult MoveNoReplace(const std::string& from, const std::string& to) {
    if (from.empty())
        return Error(ERROR_FILE_NOT_FOUND, "MoveFileExW", from);
    if (to.empty())
        return Error(ERROR_PATH_NOT_FOUND, "MoveFileExW", to);
    if (InspectPath(to).kind != PathKind::Missing)
        return Error(ERROR_ALREADY_EXISTS, "MoveFileExW", to);
    return RetryWhileHeld([&] { return MovedOnce(from, to); });
}

FileResult RemoveFile(const std::string& path) {
    const PathInfo info = InspectPath(path);
    if (info.kind == PathKind::Missing)
        return Error(ERROR_FILE_NOT_FOUND, "DeleteFileW", path);
    if (info.kind == PathKind::Unknown)
        return info.error;
    if (info.kind == PathKind::Folder)
        return Error(ERROR_ACCESS_DENIED, "DeleteFileW", path);
    return RetryWhileHeld([&] { return RemovedOnce(path); });
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        return folder + name;
    return folder + "\\" + name;
}

std::string WithSystemSeparators(const std::string& path) {
    if (path.rfind("\\\\?\\", 0) == 0)
        return path;
    std::string written = path;
    std::replace(written.begin(), written.end(), '/', '\\');
    return written;
}

bool IsAbsolutePath(const std::string& path) {
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    if (path.size() >= 3 && path[1] == ':' && separator(path[2]))
        return true;
    return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

std::string CanonicalPath(const std::string& path) {
    if (path.empty())
        return {};
    HANDLE handle = CreateFileW(WidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(
        handle, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                           FILE_NAME_NORMALIZED);
    }
    CloseHandle(handle);
    if (length == 0 || length >= buffer.size())
        return {};
    buffer.resize(length);
    // "\\?\C:\..." is the long form of "C:\..."; a network path keeps its long form.
    const std::wstring local = L"\\\\?\\";
    if (buffer.compare(0, local.size(), local) == 0 && buffer.size() > local.size() + 1 &&
        buffer[local.size() + 1] == L':')
        buffer.erase(0, local.size());
    return Utf8(buffer);
}

std::vector<FolderEntry> ListFolder(const std::string& folder, std::size_t maxEntries,
                                    SystemError* error) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(WidePath(JoinPath(folder, "*")).c_str(), FindExInfoBasic,
                                     &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        if (error)
            *error = LastError("FindFirstFileExW", folder);
        return entries;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        entries.push_back({Utf8(name), KindOf(found.dwFileAttributes)});
    } while (entries.size() < maxEntries && FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}
