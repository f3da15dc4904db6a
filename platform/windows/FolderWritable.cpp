#include "platform/FolderWritable.h"

#include "platform/FileOps.h"
#include "platform/windows/WindowsText.h"

#include <random>

FolderAccess ProbeFolderWritable(const std::string& folder, SystemError* error) {
    std::random_device random;
    SystemError cause;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string probe =
            JoinPath(folder, ".palisor-probe-" + std::to_string(random()) + ".tmp");
        // Closing the handle deletes the file; no other program may open it meanwhile.
        HANDLE handle = CreateFileW(
            WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return FolderAccess::Writable;
        }
        cause = LastError("CreateFileW", probe);
        if (cause.code != ERROR_FILE_EXISTS && cause.code != ERROR_ALREADY_EXISTS)
            break;
    }
    if (error)
        *error = cause;
    return cause.code == ERROR_ACCESS_DENIED ? FolderAccess::Denied : FolderAccess::Failed;
}
