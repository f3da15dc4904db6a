#pragma once
#include "platform/FileResult.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// Small file-system operations with the effects of the Windows calls the programs were
// designed around. Paths are UTF-8 on both systems (on Windows a path of 248 characters or
// more is handed to the system in its \\?\ form, so long paths work). They show nothing. An
// operation that can fail returns a FileResult carrying the failing call, the path and the
// system's error; the few that return something else say how they report failure.

bool FileExists(const std::string& path);   // a regular file (or a link to one)
bool FolderExists(const std::string& path); // a folder (or a link to one)

// Byte length of an existing regular file (links followed); nothing when it does not exist.
std::optional<std::uint64_t> FileLength(const std::string& path);

// What has a name, the name itself looked at: a link (on Windows any reparse point, a
// junction too) is a Link, never what it leads to. Unknown: the name could not be looked at
// for another reason than its absence (error tells why).
enum class PathKind { Missing, RegularFile, Folder, Link, Other, Unknown };
struct PathInfo {
    PathKind kind = PathKind::Missing;
    std::uint64_t size = 0; // of a regular file
    SystemError error = {}; // why the kind is Unknown
};
PathInfo InspectPath(const std::string& path);

// Creates one folder; fails if it exists already or its parent is missing.
FileResult CreateFolder(const std::string& path);

// Makes sure one folder exists (links followed), creating it when nothing has its name.
// For the last three kinds, error (when given) tells why.
enum class FolderStatus { Existed, Created, NotAFolder, Uninspectable, CreateFailed };
FolderStatus EnsureFolder(const std::string& path, SystemError* error = nullptr);

// Makes sure a folder and every folder above it exist: the one way the programs create a
// folder with its parents. Fails when one cannot be created or a file is in the way; the
// error then names that folder, and failure (when given) tells how it failed (NotAFolder,
// Uninspectable or CreateFailed).
FileResult CreateFolderTree(const std::string& path, FolderStatus* failure = nullptr);

// Creates a new folder of a fresh name, stem followed by six random letters or digits, in
// parent (as mkdtemp). Its path, or "" when none could be made (error, when given, tells why).
std::string CreateUniqueFolder(const std::string& parent, const std::string& stem,
                               SystemError* error = nullptr);

// Removes an empty folder; fails (and removes nothing) when anything is in it.
FileResult RemoveEmptyFolder(const std::string& path);

// Nothing has this name, or a regular file that is not a link: what a finished file may
// replace. A link, a folder, a device or a pipe is never replaced.
bool IsReplaceable(const std::string& path);

// True when another program holds the file open so that it cannot be replaced or removed
// now (Windows: opened without sharing deletion, as a running game holds its files). Never
// true on Linux, where an open file can always be replaced. False for a missing file.
bool HeldOpenByAnother(const std::string& path);

// True when any other program has the file open, even one that shares deletion (an antivirus,
// a search indexer, a media player): Windows then refuses to rename another file over it, and a
// second name (hard link) of it cannot be removed until that program lets go. Never true on
// Linux. False for a missing file.
bool OpenByAnother(const std::string& path);

// True when a regular file carries Windows' read-only attribute, which keeps it from being
// replaced and its second name from being removed. Never true on Linux, where the folder's
// permissions decide that. False for a missing file.
bool IsReadOnlyFile(const std::string& path);

// Copies a regular file byte for byte through a temporary file beside the target (SafeFile,
// without flushes: for work folders), replacing an existing regular target file.
FileResult CopyFileReplacing(const std::string& from, const std::string& to);

// The same, but fails without touching anything if anything has the target's name.
FileResult CopyFileRefusing(const std::string& from, const std::string& to);

// Renames or moves a file or folder; never replaces an existing target (not even an empty
// folder). Moves files across file systems by copying and then deleting the source. A file
// another program holds is tried again for a moment (HeldFileRetry.h).
FileResult MoveNoReplace(const std::string& from, const std::string& to);

// Deletes one file or link (never a folder). A file another program holds is tried again for
// a moment (HeldFileRetry.h).
FileResult RemoveFile(const std::string& path);

// Folder, the system's separator ("/"; Windows "\"), name.
std::string JoinPath(const std::string& folder, const std::string& name);

// The path written with the system's separator, as its user reads paths: on Windows every "/"
// becomes "\" (a path from Qt, or typed the Linux way); unchanged on Linux, where "\" is a
// character of a name. A \\?\ path is left as it is on Windows, which takes its "/" literally.
std::string WithSystemSeparators(const std::string& path);

// Whether a path names its place without a current folder: "/..." (Windows "C:\..." or a
// network path "\\server\share..."). "." and "Games\BFV" are not, and neither is "C:" or
// "C:Games" on Windows, which lean on the current folder of drive C.
bool IsAbsolutePath(const std::string& path);

// The path with every link resolved and made absolute; "" when some part of it is missing.
std::string CanonicalPath(const std::string& path);

// One entry of a folder, the entry itself looked at (as InspectPath).
struct FolderEntry {
    std::string name;
    PathKind kind = PathKind::Unknown;
};
// The entries of a folder ("." and ".." left out) in the order the system gives them, at
// most maxEntries. Empty when the folder cannot be read (error, when given, tells why).
std::vector<FolderEntry>
ListFolder(const std::string& folder,
           std::size_t maxEntries = std::numeric_limits<std::size_t>::max(),
           SystemError* error = nullptr);
