#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What discovery may read and follow inside the user's home folder. Everything there is
// treated as hostile: a link is followed only when its target stays inside the home folder,
// and a settings file is read only when it is a regular file inside the home folder no larger
// than its bound. None of these calls throws or writes anything.

// The home folder with every link resolved; "" when it does not exist.
std::string CanonicalHome(const std::string& home);

// True when `path` lies in (or is) the folder `folder`; both canonical.
bool IsInsideFolder(const std::string& path, const std::string& folder);

// The text of a settings file: nothing when the file is missing, is not a regular file, lies
// (once links are resolved) outside `canonicalHome`, or holds more than `maxBytes` bytes.
std::optional<std::string> ReadSettingsFileInHome(const std::string& canonicalHome,
                                                  const std::string& path, std::size_t maxBytes);

// True when `path` is a folder that may hold a Wine prefix: a real folder, or a link whose
// target is a folder inside `canonicalHome`. Files and links leading out of the home are not.
bool IsUsablePrefixFolder(const std::string& canonicalHome, const std::string& path);

// The usable prefix folders directly inside `folder`, in name order; at most `maxEntries`
// entries of the folder are looked at. Empty when the folder cannot be read.
std::vector<std::string> UsableSubfolders(const std::string& canonicalHome,
                                          const std::string& folder, std::size_t maxEntries = 4096);

// The names of the files (or links, checked when read) directly inside `folder` ending in
// `suffix`, in name order; at most `maxEntries` entries of the folder are looked at.
std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix,
                                       std::size_t maxEntries = 4096);
