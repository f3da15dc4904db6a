#include "platform/FileSteps.h"

#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/windows/WindowsText.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace {

// Every file of ours is opened sharing reading and deletion, so that our own renames over it
// and other readers are never refused.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsReparsePoint(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

int CreateExclusive(const std::string& path) {
    if (FaultInjection::ShouldFail(FileStep::Create))
        return -1;
    // CREATE_NEW fails on any existing name, a reparse point (link, junction) included, which
    // FILE_FLAG_OPEN_REPARSE_POINT keeps from being followed.
    HANDLE handle =
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Failing(-1);
    return DescriptorOf(handle, _O_WRONLY | _O_BINARY);
}

bool WriteFully(int descriptor, const char* data, std::size_t size) {
    if (FaultInjection::ShouldFail(FileStep::Write))
        return false;
    HANDLE handle = HandleOf(descriptor);
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle, data, piece, &put, nullptr))
            return Failed();
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        data += put;
        size -= put;
    }
    return true;
}

bool FlushToDisk(int descriptor) {
    if (FaultInjection::ShouldFail(FileStep::Flush))
        return false;
    return FaultInjection::Active() || FlushFileBuffers(HandleOf(descriptor)) || Failed();
}

bool FlushFolder(const std::string&) {
    if (FaultInjection::ShouldFail(FileStep::Flush))
        return false;
    // Nothing to do on NTFS: a folder cannot be flushed as a file is, and it need not be. Every
    // rename of the layer passes MOVEFILE_WRITE_THROUGH, so MoveFileExW returns only once the
    // rename is on the disk, and NTFS journals its folder entries, so a created or removed name
    // survives a crash with the metadata log rather than with a flush of ours.
    return true;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    if (FaultInjection::ShouldFail(FileStep::Rename))
        return false;
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // A target held open without shared deletion (the game is running) is refused as "access
    // denied": told apart here, so that the caller can name it as busy.
    const DWORD error = GetLastError();
    errno = error == ERROR_ACCESS_DENIED && HeldOpenByAnother(to) ? EBUSY : ErrnoOf(error);
    return false;
}

bool RenameRefusing(const std::string& from, const std::string& to) {
    if (FaultInjection::ShouldFail(FileStep::Rename))
        return false;
    // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing target.
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH) || Failed();
}

bool LinkFile(const std::string& existing, const std::string& newName) {
    if (FaultInjection::ShouldFail(FileStep::Rename))
        return false;
    if (IsReparsePoint(existing)) {
        errno = EINVAL;
        return false;
    }
    return CreateHardLinkW(Wide(newName).c_str(), Wide(existing).c_str(), nullptr) || Failed();
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

bool CloseFile(int descriptor) {
    return _close(descriptor) == 0;
}

int OpenForFlushing(const std::string& path) {
    // FlushFileBuffers needs write access.
    HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Failing(-1);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        errno = EINVAL;
        return -1;
    }
    return DescriptorOf(handle, _O_WRONLY | _O_BINARY);
}

bool FlushDataEarly(int descriptor) {
    return FlushFileBuffers(HandleOf(descriptor)) || Failed();
}
