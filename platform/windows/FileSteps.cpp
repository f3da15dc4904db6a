#include "platform/FileSteps.h"

#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/HeldFileRetry.h"
#include "platform/windows/WindowsText.h"

#include <algorithm>
#include <fcntl.h>
#include <io.h>

namespace {

// Every file of ours is opened sharing reading and deletion, so that our own renames over it
// and other readers are never refused.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void Tell(SystemError* error, SystemError cause) {
    if (error)
        *error = std::move(cause);
}

SystemError Error(DWORD code, const char* call, const std::string& path) {
    return {call, path, static_cast<int>(code)};
}

FileResult RenameReplacingOnce(const std::string& from, const std::string& to) {
    if (auto fault = FaultInjection::Fault(FileStep::Rename, "MoveFileExW", to))
        return *fault;
    if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    const SystemError error = LastError("MoveFileExW", to);
    // A target another program holds open (the running game without shared deletion; an
    // antivirus, indexer or player even with it) is refused as "access denied": the open that
    // tells it apart names the hold instead.
    if (error.code == ERROR_ACCESS_DENIED && OpenByAnother(to))
        return Error(ERROR_SHARING_VIOLATION, "CreateFileW", to);
    return error;
}

FileResult RenameRefusingOnce(const std::string& from, const std::string& to) {
    if (auto fault = FaultInjection::Fault(FileStep::Rename, "MoveFileExW", to))
        return *fault;
    // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing target.
    if (!MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return LastError("MoveFileExW", to);
    return {};
}

} // namespace

int CreateExclusive(const std::string& path, SystemError* error) {
    if (auto fault = FaultInjection::Fault(FileStep::Create, "CreateFileW", path)) {
        Tell(error, *fault);
        return -1;
    }
    // CREATE_NEW fails on any existing name, a reparse point (link, junction) included, which
    // FILE_FLAG_OPEN_REPARSE_POINT keeps from being followed.
    HANDLE handle = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Tell(error, LastError("CreateFileW", path));
        return -1;
    }
    const int descriptor = DescriptorOf(handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0)
        Tell(error, LastError("_open_osfhandle", path));
    return descriptor;
}

FileResult WriteFully(int descriptor, const char* data, std::size_t size) {
    if (auto fault = FaultInjection::Fault(FileStep::Write, "WriteFile", ""))
        return *fault;
    HANDLE handle = HandleOf(descriptor);
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle, data, piece, &put, nullptr))
            return LastError("WriteFile", "");
        if (put == 0)
            return Error(ERROR_DISK_FULL, "WriteFile", "");
        data += put;
        size -= put;
    }
    return {};
}

FileResult FlushToDisk(int descriptor) {
    if (auto fault = FaultInjection::Fault(FileStep::Flush, "FlushFileBuffers", ""))
        return *fault;
    if (FaultInjection::Active() || FlushFileBuffers(HandleOf(descriptor)))
        return {};
    return LastError("FlushFileBuffers", "");
}

FileResult FlushFolder(const std::string& folder) {
    if (auto fault = FaultInjection::Fault(FileStep::Flush, "FlushFileBuffers", folder))
        return *fault;
    // Nothing to do on NTFS: a folder cannot be flushed as a file is, and it need not be. Every
    // rename of the layer passes MOVEFILE_WRITE_THROUGH, so MoveFileExW returns only once the
    // rename is on the disk, and NTFS journals its folder entries, so a created or removed name
    // survives a crash with the metadata log rather than with a flush of ours.
    return {};
}

FileResult RenameReplacing(const std::string& from, const std::string& to) {
    return RetryWhileHeld([&] { return RenameReplacingOnce(from, to); });
}

FileResult RenameRefusing(const std::string& from, const std::string& to) {
    return RetryWhileHeld([&] { return RenameRefusingOnce(from, to); });
}

FileResult LinkFile(const std::string& existing, const std::string& newName) {
    if (auto fault = FaultInjection::Fault(FileStep::Rename, "CreateHardLinkW", newName))
        return *fault;
    if (IsReparsePoint(existing))
        return Error(ERROR_NOT_SUPPORTED, "CreateHardLinkW", existing);
    if (!CreateHardLinkW(WidePath(newName).c_str(), WidePath(existing).c_str(), nullptr))
        return LastError("CreateHardLinkW", newName);
    return {};
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return path.substr(0, 1);
    // "C:\name" lies in "C:\", not in "C:" (the current folder of drive C).
    if (slash == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, slash);
}

FileResult CloseFile(int descriptor) {
    if (_close(descriptor) != 0)
        return LastError("CloseHandle", "");
    return {};
}

int OpenForFlushing(const std::string& path, SystemError* error) {
    // FlushFileBuffers needs write access.
    HANDLE handle = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Tell(error, LastError("CreateFileW", path));
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        Tell(error, Error(ERROR_INVALID_PARAMETER, "CreateFileW", path));
        return -1;
    }
    const int descriptor = DescriptorOf(handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0)
        Tell(error, LastError("_open_osfhandle", path));
    return descriptor;
}

bool FlushDataEarly(int descriptor) {
    return FlushFileBuffers(HandleOf(descriptor));
}
