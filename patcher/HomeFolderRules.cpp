#include "patcher/HomeFolderRules.h"

#include "common/SmallFileReader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The path with every link resolved, or "" when some part of it does not exist.
std::string Canonical(const std::string& path) {
    if (path.empty())
        return {};
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return {};
    return resolved;
}

bool IsLink(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

template <typename Keep>
std::vector<std::string> EntriesOf(const std::string& folder, std::size_t maxEntries, Keep keep) {
    std::vector<std::string> names;
    std::error_code error;
    std::size_t seen = 0;
    for (std::filesystem::directory_iterator it(folder, error), end;
         !error && it != end && seen < maxEntries; it.increment(error), ++seen) {
        std::string name = it->path().filename().string();
        if (keep(folder + "/" + name, name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::string CanonicalHome(const std::string& home) {
    return IsFolder(home) ? Canonical(home) : std::string();
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.compare(0, folder.size(), folder) != 0)
        return false;
    return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

std::optional<std::string> ReadSettingsFileInHome(const std::string& canonicalHome,
                                                  const std::string& path, std::size_t maxBytes) {
    std::string real = Canonical(path);
    if (real.empty() || !IsInsideFolder(real, canonicalHome))
        return std::nullopt;
    // No link swapped in after the check.
    return SmallFileReader::Read(real, maxBytes, SmallFileReader::Links::Refuse);
}

bool IsUsablePrefixFolder(const std::string& canonicalHome, const std::string& path) {
    if (!IsFolder(path))
        return false;
    return !IsLink(path) || IsInsideFolder(Canonical(path), canonicalHome);
}

std::vector<std::string> UsableSubfolders(const std::string& canonicalHome,
                                          const std::string& folder, std::size_t maxEntries) {
    std::vector<std::string> folders;
    for (const auto& name : EntriesOf(folder, maxEntries, [&](const std::string&path, auto&) {
             return IsUsablePrefixFolder(canonicalHome, path);
         }))
        folders.push_back(folder + "/" + name);
    return folders;
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix,
                                       std::size_t maxEntries) {
    return EntriesOf(folder, maxEntries, [&](const std::string& path, const std::string& name) {
        struct stat info;
        return name.size() > suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
               ::lstat(path.c_str(), &info) == 0 &&
               (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode));
    });
}
