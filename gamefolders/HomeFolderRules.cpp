#include "gamefolders/HomeFolderRules.h"

#include "platform/FileOps.h"
#include "platform/SmallFileReader.h"

#include <algorithm>

namespace {

bool IsLink(const std::string& path) {
    return InspectPath(path).kind == PathKind::Link;
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
    // No link swapped in after the check.
    return SmallFileReader::Read(real, maxBytes, SmallFileReader::Links::Refuse);
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
