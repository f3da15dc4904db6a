#include "platform/FolderWritable.h"

#include "platform/FileOps.h"
#include "platform/windows/WindowsText.h"

#include <cerrno>
#include <random>

FolderAccess ProbeFolderWritable(const std::string& folder) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string probe =
            JoinPath(folder, ".palisor-probe-" + std::to_string(random()) + ".tmp");
        // Closing the handle deletes the file; no other program may open it meanwhile.
        HANDLE handle = CreateFileW(
            Wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return FolderAccess::Writable;
        }
        const DWORD error = GetLastError();
        errno = ErrnoOf(error);
        if (error == ERROR_ACCESS_DENIED)
            return FolderAccess::Denied;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return FolderAccess::Failed;
    }
    return FolderAccess::Failed;
}
