#include "gamefolders/WinePrefixes.h"

#include "gamefolders/HomeFolderRules.h"
#include "gamefolders/LutrisGames.h"
#include "gamefolders/SteamLibraries.h"
#include "platform/FileOps.h"

#include <set>

namespace {

std::string Canonical(const std::string& path) {
    const std::string resolved = CanonicalPath(path);
    return resolved.empty() ? path : resolved;
}

void AddAll(std::vector<WinePrefix>& prefixes, const std::vector<std::string>& folders,
            const char* kind) {
    for (const auto& folder : folders)
        prefixes.push_back({folder, kind});
}

} // namespace

std::vector<WinePrefix> WinePrefixesToSearch(const std::string& home,
                                             const std::string& winePrefix) {
    const std::string canonicalHome = CanonicalHome(home);
    std::vector<WinePrefix> candidates;
    if (!home.empty() && !canonicalHome.empty()) {
        candidates.push_back({home + "/.wine", "wine"});
        AddAll(candidates, LutrisGames::Prefixes(home, canonicalHome), "lutris");
        AddAll(candidates, UsableSubfolders(canonicalHome, home + "/.local/share/bottles/bottles"),
               "bottles");
        AddAll(candidates,
               UsableSubfolders(canonicalHome,
                                home + "/.var/app/com.usebottles.bottles/data/bottles/bottles"),
               "bottles");
        AddAll(candidates, UsableSubfolders(canonicalHome, home + "/.PlayOnLinux/wineprefix"),
               "playonlinux");
        AddAll(candidates, SteamLibraries::ProtonPrefixes(home, canonicalHome), "proton");
    }
    std::vector<WinePrefix> prefixes;
    std::set<std::string> seen;
    if (!winePrefix.empty() && FolderExists(winePrefix)) {
        prefixes.push_back({winePrefix, "wine"});
        seen.insert(Canonical(winePrefix));
    }
    for (auto& candidate : candidates)
        if (IsUsablePrefixFolder(canonicalHome, candidate.folder) &&
            seen.insert(Canonical(candidate.folder)).second)
            prefixes.push_back(std::move(candidate));
    return prefixes;
}
