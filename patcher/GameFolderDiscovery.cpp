#include "patcher/GameFolderDiscovery.h"

#include "common/FileOps.h"
#include "common/PathNoCase.h"
#include "common/RegistryValue.h"
#include "common/WinePaths.h"
#include "common/WineRegistry.h"
#include "patcher/GameFolderCheck.h"
#include "patcher/HomeFolderRules.h"
#include "patcher/LutrisGames.h"
#include "patcher/SteamLibraries.h"

#include <climits>
#include <cstdlib>
#include <set>

namespace {

// Where installers put the game inside a prefix's drive C:, most usual first.
const char* const kUsualInstallFolders[] = {
    "Program Files/EA GAMES/Battlefield Vietnam",
    "Program Files (x86)/EA GAMES/Battlefield Vietnam",
    "Program Files/Battlefield Vietnam",
    "Program Files (x86)/Battlefield Vietnam",
    "Games/Battlefield Vietnam",
};

struct WinePrefix {
    std::string folder;
    std::string kind;
};

std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void AddAll(std::vector<WinePrefix>& prefixes, const std::vector<std::string>& folders,
            const char* kind) {
    for (const auto& folder : folders)
        prefixes.push_back({folder, kind});
}

// Every candidate prefix in search order, usable ones only, each folder once.
std::vector<WinePrefix> PrefixesToSearch(const DiscoveryPlaces& places) {
    const std::string& home = places.home;
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
    if (!places.winePrefix.empty() && FolderExists(places.winePrefix)) {
        prefixes.push_back({places.winePrefix, "wine"});
        seen.insert(Canonical(places.winePrefix));
    }
    for (auto& candidate : candidates)
        if (IsUsablePrefixFolder(canonicalHome, candidate.folder) &&
            seen.insert(Canonical(candidate.folder)).second)
            prefixes.push_back(std::move(candidate));
    return prefixes;
}

// The registry's answer first, then the usual install folders; game folders only.
std::vector<std::string> GameFoldersIn(const std::string& prefix, bool registry) {
    std::vector<std::string> folders;
    if (registry) {
        folders.push_back(GameFolderInWinePrefix(prefix));
    } else {
        for (const char* usual : kUsualInstallFolders)
            folders.push_back(ResolvePathNoCase(prefix + "/drive_c", usual));
    }
    return folders;
}

} // namespace

std::string GameFolderInWinePrefix(const std::string& prefix) {
    WineRegistry registry(prefix);
    RegistryValue gameDir(registry, RegistryRoot::LocalMachine, kGameDirRegistryPath, "", false);
    const std::string& windowsPath = gameDir.Value();
    if (windowsPath.empty())
        return {};
    return WindowsPathInWinePrefix(prefix, windowsPath);
}

std::string RegistryGameFolder() {
    return GameFolderInWinePrefix(WineRegistry::DefaultPrefix());
}

DiscoveryPlaces DiscoveryPlaces::FromEnvironment() {
    return {EnvironmentValue("HOME"), EnvironmentValue("WINEPREFIX")};
}

std::vector<FoundGameFolder> FindGameFolders(const DiscoveryPlaces& places) {
    const std::vector<WinePrefix> prefixes = PrefixesToSearch(places);
    std::vector<FoundGameFolder> found;
    std::set<std::string> seen;
    for (bool registry : {true, false})
        for (const auto& prefix : prefixes)
            for (const auto& folder : GameFoldersIn(prefix.folder, registry))
                if (!folder.empty() && IsGameFolder(folder) &&
                    seen.insert(Canonical(folder)).second)
                    found.push_back({folder, prefix.kind});
    return found;
}
