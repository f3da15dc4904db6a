#include "platform/FolderLock.h"

#include "platform/windows/WindowsText.h"

namespace {

HANDLE AsHandle(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

} // namespace

FolderLock::~FolderLock() {
    Unlock();
}

FolderLock::Result FolderLock::LockFile(const std::string& lockPath) {
    Unlock();
    HANDLE handle =
        CreateFileW(Wide(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Result::Unavailable;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        return Result::Unavailable;
    }
    return LockDescriptor(reinterpret_cast<std::intptr_t>(handle));
}

FolderLock::Result FolderLock::LockFolder(const std::string& folder) {
    Unlock();
    // A folder cannot take a byte-range lock. It is held open asking for deletion access
    // without sharing it: a second holder asks the same and meets a sharing violation, while
    // programs that only read the folder (sharing everything) are not disturbed.
    HANDLE handle = CreateFileW(Wide(folder).c_str(), FILE_LIST_DIRECTORY | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Result::HeldByAnother
                                                         : Result::Unavailable;
    descriptor_ = reinterpret_cast<std::intptr_t>(handle);
    return Result::Taken;
}

FolderLock::Result FolderLock::LockDescriptor(std::intptr_t native) {
    OVERLAPPED whole{};
    if (!LockFileEx(AsHandle(native), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                    MAXDWORD, MAXDWORD, &whole)) {
        const bool busy = GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(AsHandle(native));
        return busy ? Result::HeldByAnother : Result::Unavailable;
    }
    descriptor_ = native;
    return Result::Taken;
}

void FolderLock::Unlock() {
    // Closing the handle releases its lock.
    if (descriptor_ != -1)
        CloseHandle(AsHandle(descriptor_));
    descriptor_ = -1;
}
