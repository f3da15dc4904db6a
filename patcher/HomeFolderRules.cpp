#include "patcher/HomeFolderRules.h"

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

// Reads at most maxBytes + 1 bytes from an open regular file; nothing when there are more.
std::optional<std::string> ReadBounded(int fd, std::size_t maxBytes) {
    std::string text;
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return text;
        if (text.size() + static_cast<std::size_t>(got) > maxBytes)
            return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(got));
    }
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
    // No blocking on a FIFO, no link swapped in after the check.
    int fd = ::open(real.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    std::optional<std::string> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) <= maxBytes)
        text = ReadBounded(fd, maxBytes);
    ::close(fd);
    return text;
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
