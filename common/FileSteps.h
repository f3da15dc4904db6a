#pragma once
#include <cstddef>
#include <string>

// The file-system steps behind every finished file and every change to a folder. Each goes
// through FaultInjection, so tests can make any one of them fail. Each returns false (or -1)
// with errno set on failure and shows nothing. No step follows a link at the name it creates.

// Creates a new file exclusively (O_CREAT|O_EXCL|O_NOFOLLOW): fails when anything, a link
// included, already has the name. Returns the open descriptor, or -1.
int CreateExclusive(const std::string& path);

// Writes all bytes, resuming after short writes and interruptions.
bool WriteFully(int descriptor, const char* data, std::size_t size);

// Flushes a file's data to the disk (fsync).
bool FlushToDisk(int descriptor);

// Flushes a folder's entries to the disk, so that renames and removals in it survive a crash.
bool FlushFolder(const std::string& folder);

// Renames a file over its target in one atomic step (rename).
bool RenameReplacing(const std::string& from, const std::string& to);

// Renames without ever replacing an existing target (renameat2 NOREPLACE, or link then
// unlink on file systems without it).
bool RenameRefusing(const std::string& from, const std::string& to);

// Gives an existing file a second name (a hard link); fails when the new name is taken.
bool LinkFile(const std::string& existing, const std::string& newName);

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);
