#pragma once
#include <string>

// Paths as a project keeps them: absolute, in the system's own separators ("C:\Music\a.wav" on
// Windows, "/home/me/a.wav" on Linux), as the user would type them. Paths are UTF-8; bytes
// that are not (a path the original program stored) are passed on unchanged. None of these
// fails; an empty path stays empty.

// The path made absolute against the current folder, "." and ".." taken out.
std::string AbsolutePath(const std::string& path);

// A path read from a project in `folder`: a relative one is taken from that folder (never from
// the current one); an absolute one of either system ("/x", "C:\x", "\\server\x") is kept as
// written.
std::string ResolvedAgainst(const std::string& folder, const std::string& path);

// The folder holding a file ("" when the path names none, or is not UTF-8).
std::string FolderHolding(const std::string& path);

// "/" turned into the system's separator where that is "\" (Windows); unchanged on Linux.
std::string SystemSeparators(const std::string& path);

// The file's name without its folder and extension ("songs" for "C:\My\songs.velkp").
std::string StemOf(const std::string& path);
