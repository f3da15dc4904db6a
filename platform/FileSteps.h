#pragma once
#include "platform/FileResult.h"

#include <cstddef>
#include <string>

// The file-system steps behind every finished file and every change to a folder. Each goes
// through FaultInjection, so tests can make any one of them fail on either system. Each
// returns a FileResult (the failing call, its path and the system's error) and shows nothing.
// No step follows a link (on Windows, a reparse point) at the name it creates.
// A descriptor is the C library's: on Windows it wraps the handle the layer opened.

// Creates a new file exclusively: fails when anything, a link included, already has the name
// (O_CREAT|O_EXCL|O_NOFOLLOW; Windows: CreateFileW with CREATE_NEW, never through a reparse
// point). Returns the open descriptor, or -1 (error, when given, tells why).
int CreateExclusive(const std::string& path, SystemError* error = nullptr);

// Writes all bytes, resuming after short writes and interruptions. The error names no path.
FileResult WriteFully(int descriptor, const char* data, std::size_t size);

// Flushes a file's data to the disk (fsync; Windows: FlushFileBuffers). The error names no
// path.
FileResult FlushToDisk(int descriptor);

// Flushes a folder's entries to the disk, so that renames and removals in it survive a crash.
FileResult FlushFolder(const std::string& folder);

// Renames a file over its target in one atomic step (rename; Windows: MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). A target another program holds open
// is tried again for a moment (HeldFileRetry.h), then fails with FileFailure::Busy.
FileResult RenameReplacing(const std::string& from, const std::string& to);

// Renames without ever replacing an existing target (renameat2 NOREPLACE, or link then
// unlink on file systems without it; Windows: MoveFileExW without MOVEFILE_REPLACE_EXISTING).
// A held file is tried again for a moment, as above.
FileResult RenameRefusing(const std::string& from, const std::string& to);

// Gives an existing file a second name (a hard link); fails when the new name is taken, and
// with FileFailure::Unsupported where the file system has no hard links.
FileResult LinkFile(const std::string& existing, const std::string& newName);

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);
// The last part of a path: the name after its last separator (on Windows "\\" or "/").
std::string FileNameOf(const std::string& path);

// Closes a descriptor the layer opened; fails when the system reports a late write error.
FileResult CloseFile(int descriptor);

// Opens an existing regular file so that its data can be flushed while it is still being
// written (read-only on Linux; Windows needs write access to flush). Never through a link.
// Not a counted step. -1 on failure (error, when given, tells why).
int OpenForFlushing(const std::string& path, SystemError* error = nullptr);

// Flushes a file's data without its metadata (fdatasync; Windows: FlushFileBuffers). Not a
// counted step: a head start only, which proves nothing.
bool FlushDataEarly(int descriptor);
