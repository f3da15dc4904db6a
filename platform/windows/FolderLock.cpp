#include "platform/FolderLock.h"

#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/windows/WindowsText.h"

namespace {

// A holder lets go by marking its lock file for deletion; until its last handle closes, the
// file refuses new opens. The next holder waits that moment out.
constexpr int kTakeOverAttempts = 40;
constexpr std::chrono::milliseconds kTakeOverPause{25};
// The locked byte sits at 2^40, where no lock file ever has data.
constexpr DWORD kLockedByteHigh = 0x100;

HANDLE AsHandle(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

// True when something has the name, even a file that refuses to be looked at.
bool Present(const std::string& path) {
    if (GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool DeletePending(HANDLE handle) {
    FILE_STANDARD_INFO info{};
    return GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info) &&
           info.DeletePending;
}

} // namespace

FolderLock::~FolderLock() {
    Unlock();
}

FolderLock::Result FolderLock::LockFile(const std::string& lockPath) {
    Unlock();
    return LockPath(lockPath, false);
}

FolderLock::Result FolderLock::LockFolder(const std::string& folder) {
    Unlock();
    const std::string path = JoinPath(folder, kFolderLockName);
    for (int attempt = 0; attempt < kTakeOverAttempts; ++attempt) {
        if (attempt > 0)
            FaultInjection::Pause(kTakeOverPause);
        const Result result = LockPath(path, true);
        if (result == Result::Taken && StillNamed(path)) {
            removeOnUnlock_ = path;
            return result;
        }
        if (result == Result::Taken)
            Unlock();
        else if (result == Result::HeldByAnother || !error_.MayClear() || !Present(path))
            return result;
    }
    return Result::Unavailable;
}

FolderLock::Result FolderLock::LockPath(const std::string& path, bool hidden) {
    // Shared with everyone, so that a scanner or a second Palisor opening it disturbs nothing:
    // the byte-range lock alone decides.
    // Deletion access only where the file goes when the lock is let go: any other program that
    // opens a file held with it must share deletion, which few programs do.
    HANDLE handle = CreateFileW(
        WidePath(path).c_str(), GENERIC_READ | (hidden ? DELETE : 0),
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
        (hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error_ = LastError("CreateFileW", path);
        return Result::Unavailable;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        error_ = {"CreateFileW", path, ERROR_INVALID_PARAMETER};
        return Result::Unavailable;
    }
    // One byte far past any data: a lock over the file's bytes would make the file unreadable
    // to everyone else, a scanner or a backup program included.
    OVERLAPPED farByte{};
    farByte.OffsetHigh = kLockedByteHigh;
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &farByte)) {
        error_ = LastError("LockFileEx", path);
        CloseHandle(handle);
        return error_.code == ERROR_LOCK_VIOLATION ? Result::HeldByAnother : Result::Unavailable;
    }
    descriptor_ = reinterpret_cast<std::intptr_t>(handle);
    return Result::Taken;
}

bool FolderLock::StillNamed(const std::string&) const {
    // The last holder's file, marked for deletion as it let go, guards nothing any more.
    return !DeletePending(AsHandle(descriptor_));
}

void FolderLock::Unlock() {
    if (descriptor_ != -1 && !removeOnUnlock_.empty()) {
        // Marked while still locked; it goes when the last handle on it closes.
        FILE_DISPOSITION_INFO remove{TRUE};
        SetFileInformationByHandle(AsHandle(descriptor_), FileDispositionInfo, &remove,
                                   sizeof remove);
    }
    removeOnUnlock_.clear();
    // Closing the handle releases its lock.
    if (descriptor_ != -1)
        CloseHandle(AsHandle(descriptor_));
    descriptor_ = -1;
}
