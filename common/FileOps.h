#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Small file-system operations with the effects of the Windows calls the programs were
// designed around. Each returns false (or nothing) on failure and shows nothing.

// Folder of the running executable, without a trailing separator.
std::string ExecutableFolder();

// Name of the file the build writes beside the programs it builds.
inline constexpr const char* kBuildTreeMarker = ".kp-build-tree";

// Folder that holds a program's work folders: beside the executable in the build tree;
// for an installed program the user's data folder ($XDG_DATA_HOME or ~/.local/share, then
// programName/programName), created on demand.
std::string WorkBaseFolder(const std::string& programName);

bool FileExists(const std::string& path);   // a regular file (or a link to one)
bool FolderExists(const std::string& path); // a folder (or a link to one)

// Byte length of an existing regular file; nothing when it does not exist.
std::optional<std::uint64_t> FileLength(const std::string& path);

// Creates one folder; fails if it exists already or its parent is missing.
bool CreateFolder(const std::string& path);

// Nothing has this name, or a regular file that is not a link: what a finished file may
// replace. A link, a folder, a device or a pipe is never replaced.
bool IsReplaceable(const std::string& path);

// Copies a regular file byte for byte through a temporary file beside the target (SafeFile,
// without flushes: for work folders), replacing an existing regular target file.
bool CopyFileReplacing(const std::string& from, const std::string& to);

// The same, but fails without touching anything if anything has the target's name.
bool CopyFileRefusing(const std::string& from, const std::string& to);

// Renames or moves a file or folder; never replaces an existing target (not even an empty
// folder). Moves files across file systems by copying and then deleting the source.
bool MoveNoReplace(const std::string& from, const std::string& to);

// Deletes one file (not a folder).
bool RemoveFile(const std::string& path);

// Folder + "/" + name.
std::string JoinPath(const std::string& folder, const std::string& name);
