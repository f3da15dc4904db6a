#pragma once
#include "platform/SystemError.h"

#include <cstdint>
#include <string>

// Keeps other processes of the programs away from a folder while one works in it: a lock on a
// file of our own, never on the folder itself, so that a program that merely sits in the
// folder (the running game, a console, Explorer) never counts as another holder. Never waits.
// The lock goes when the object goes, or with the process however it ends. Linux: an advisory
// flock; Windows: LockFileEx on the whole file, which is opened sharing everything.
class FolderLock {
public:
    enum class Result { Taken, HeldByAnother, Unavailable };

    // The lock file LockFolder makes in the folder it guards: hidden, and removed again when
    // the lock goes (a process that dies leaves it, and the next holder takes it over).
    static constexpr const char* kFolderLockName = ".folder.lock";

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Locks the file lockPath, creating it when missing (never through a link); it stays.
    // Unavailable: it cannot be created or the file system has no locks (Error() tells why).
    Result LockFile(const std::string& lockPath);
    // Locks an existing folder through its lock file (kFolderLockName). Unavailable: the
    // folder is missing, is not a folder, or refuses the file (Error() tells why).
    Result LockFolder(const std::string& folder);
    void Unlock();
    bool Held() const { return descriptor_ != -1; }
    // Why the last lock was not taken.
    const SystemError& Error() const { return error_; }

private:
    Result LockPath(const std::string& path, bool hidden);
    bool StillNamed(const std::string& path) const;

    std::intptr_t descriptor_ = -1; // a descriptor on Linux, a handle on Windows
    std::string removeOnUnlock_;
    SystemError error_;
};
