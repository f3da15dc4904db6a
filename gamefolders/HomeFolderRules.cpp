#include "gamefolders/HomeFolderRules.h"

#include "platform/FileOps.h"
#include "platform/InputFile.h"

#include <algorithm>

namespace {

bool IsLink(const std::string& path) {
    return InspectPath(path).kind == PathKind::Link;
}

// Reads at most maxBytes + 1 bytes from an open regular file; nothing when there are more.
std::optional<std::string> ReadBounded(InputFile& file, std::size_t maxBytes) {
    std::string text;
    char buffer[8192];
    for (;;) {
        const std::int64_t got = file.Read(buffer, sizeof buffer);
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
    for (const FolderEntry& entry : ListFolder(folder, maxEntries))
        if (keep(folder + "/" + entry.name, entry))
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::string CanonicalHome(const std::string& home) {
    return FolderExists(home) ? CanonicalPath(home) : std::string();
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.compare(0, folder.size(), folder) != 0)
        return false;
    return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

std::optional<std::string> ReadSettingsFileInHome(const std::string& canonicalHome,
                                                  const std::string& path, std::size_t maxBytes) {
    std::string real = CanonicalPath(path);
    if (real.empty() || !IsInsideFolder(real, canonicalHome))
        return std::nullopt;
    // No blocking on a FIFO, no link swapped in after the check.
    InputFile file;
    if (!file.Open(real, InputFile::Links::Refuse) || file.Size() > maxBytes)
        return std::nullopt;
    return ReadBounded(file, maxBytes);
}

bool IsUsablePrefixFolder(const std::string& canonicalHome, const std::string& path) {
    if (!FolderExists(path))
        return false;
    return !IsLink(path) || IsInsideFolder(CanonicalPath(path), canonicalHome);
}

std::vector<std::string> UsableSubfolders(const std::string& canonicalHome,
                                          const std::string& folder, std::size_t maxEntries) {
    std::vector<std::string> folders;
    for (const auto& name :
         EntriesOf(folder, maxEntries, [&](const std::string&path, const FolderEntry&) {
             return IsUsablePrefixFolder(canonicalHome, path);
         }))
        folders.push_back(folder + "/" + name);
    return folders;
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix,
                                       std::size_t maxEntries) {
    return EntriesOf(folder, maxEntries, [&](const std::string&, const FolderEntry& entry) {
        const std::string& name = entry.name;
        return name.size() > suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
               (entry.kind == PathKind::RegularFile || entry.kind == PathKind::Link);
    });
}
