#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Paths and names that Windows would take for something else than what is written: it drops a
// trailing dot or space of a name, opens a device for CON, AUX, COM1 ... in any folder, reads
// "C:" as the current folder of drive C and a colon after it as a data stream, and skips its
// own checks for \\?\ and \\.\ paths. The rules are the same on every system, because what one
// player makes (a pack, a folder typed in a shared guide) another opens on Windows. Each
// answer is a short reason that names the part concerned ("the name \"BFV.\" ends in a dot,
// which Windows drops"), or "" when Windows takes the text as written. Never fails.

// A path as a whole: its prefix and drive, then each of its names ("." and ".." are taken as
// folders of the path, as Windows takes them).
std::string WhyWindowsWouldRewrite(const std::string& path);

// What WhyWindowsWouldRewrite says, where this system is Windows; "" on Linux, where a folder
// named "BFV." is a folder of its own, opened as written. For a path this machine opens itself
// (a game folder typed or browsed here), as opposed to names made to be shared.
std::string WhyThisSystemWouldRewrite(const std::string& path);

// Why a folder path from outside (the registry's GAMEDIR, a folder typed by hand) cannot be
// taken for the folder it seems to name: what WhyWindowsWouldRewrite says ("C:", a \\?\ path),
// else that it is not a full path (".", "Games\BFV": read from the current folder), else that
// a file or something else than a folder has its name. "" when it can be taken (a missing
// folder can: whoever uses it says it is missing).
std::string WhyNotAFolderPath(const std::string& path);
// The last two of those alone, for a path this machine made from another (a Windows path mapped
// into a Wine prefix, whose own names Windows never sees).
std::string WhyNotAFullFolderPath(const std::string& path);

// One name (a file or folder name, no separator in it): a device name (any case, with any
// extension, the superscript digits ¹²³ too), a trailing dot or space, one of <>:"|?* or a
// C0 control character (DEL and the C1 controls are allowed, as Windows allows them).
std::string WhyWindowsWouldRewriteName(std::string_view name);

// The longest path Windows takes without its \\?\ form, in UTF-16 units (MAX_PATH less the
// terminating zero), and the longest name.
inline constexpr std::size_t kWindowsPathLimit = 259;
inline constexpr std::size_t kWindowsNameLimit = 255;

// The length of UTF-8 text in UTF-16 units, as Windows counts a path.
std::size_t WindowsLength(std::string_view utf8);
