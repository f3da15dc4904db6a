#pragma once
#include <cstdint>
#include <string>

// Keeps other processes of the programs away from a folder while one works in it: a lock on a
// lock file beside the folder, or on the folder itself. Never waits. The lock goes when the
// object goes, or with the process however it ends. Linux: an advisory flock. Windows:
// LockFileEx on the lock file; a folder is held open without sharing deletion, which a second
// holder asks for, so the second is refused (and the folder cannot be moved meanwhile).
class FolderLock {
public:
    enum class Result { Taken, HeldByAnother, Unavailable };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Locks the file lockPath, creating it when missing (never through a link).
    // Unavailable: it cannot be created or the file system has no locks.
    Result LockFile(const std::string& lockPath);
    // Locks an existing folder itself; nothing is created in it.
    Result LockFolder(const std::string& folder);
    void Unlock();
    bool Held() const { return descriptor_ != -1; }

private:
    Result LockDescriptor(std::intptr_t descriptor);

    std::intptr_t descriptor_ = -1; // a descriptor on Linux, a handle on Windows
};
