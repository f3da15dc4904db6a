#include "patcher/gamefolder/GameFolderDiscovery.h"

#include "common/RegistryValue.h"
#include "gamefolders/WinePaths.h"
#include "gamefolders/WinePrefixes.h"
#include "gamefolders/WineRegistry.h"
#include "patcher/gamefolder/GameFolder.h"
#include "platform/FileOps.h"
#include "platform/PathNoCase.h"

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

std::string Canonical(const std::string& path) {
    const std::string resolved = CanonicalPath(path);
    return resolved.empty() ? path : resolved;
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The registry's answer first, then the usual install folders; game folders only.
std::vector<std::string> GameFoldersIn(const std::string& prefix, bool registry,
                                       std::vector<std::string>* refusals) {
    std::vector<std::string> folders;
    if (registry) {
        const GameDirAnswer answer = GameDirInWinePrefix(prefix);
        folders.push_back(answer.folder);
        if (refusals && !answer.refusal.empty())
            refusals->push_back(answer.refusal);
    } else {
        for (const char* usual : kUsualInstallFolders)
            folders.push_back(ResolvePathNoCase(prefix + "/drive_c", usual));
    }
    return folders;
}

} // namespace

GameDirAnswer GameDirInWinePrefix(const std::string& prefix) {
    WineRegistry registry(prefix);
    RegistryValue gameDir(registry, RegistryRoot::LocalMachine, kGameDirRegistryPath, "", false);
    const std::string& windowsPath = gameDir.Value();
    return GameDirAnswer::Of(windowsPath, WindowsPathInWinePrefix(prefix, windowsPath),
                             "the registry of the Wine prefix " + prefix);
}

std::string GameFolderInWinePrefix(const std::string& prefix) {
    return GameDirInWinePrefix(prefix).folder;
}

GameDirAnswer RegistryGameDir() {
    return GameDirInWinePrefix(WineRegistry::DefaultPrefix());
}

std::string RegistryGameFolder() {
    return RegistryGameDir().folder;
}

DiscoveryPlaces DiscoveryPlaces::FromEnvironment() {
    return {EnvironmentValue("HOME"), EnvironmentValue("WINEPREFIX")};
}

std::vector<FoundGameFolder> FindGameFolders(const DiscoveryPlaces& places,
                                             std::vector<std::string>* refusals) {
    const std::vector<WinePrefix> prefixes = WinePrefixesToSearch(places.home, places.winePrefix);
    std::vector<FoundGameFolder> found;
    std::set<std::string> seen;
    for (bool registry : {true, false})
        for (const auto& prefix : prefixes)
            for (const auto& folder : GameFoldersIn(prefix.folder, registry, refusals))
                if (!folder.empty() && GameFolder(folder).IsGame() &&
                    seen.insert(Canonical(folder)).second)
                    found.push_back({folder, prefix.kind});
    return found;
}

GameSearchText GameSearchHelp() {
    return {"Without --game-folder the game folder comes from the game's registry entry\n"
            "(under Wine: the prefix in $WINEPREFIX, or else ~/.wine).\n"
            "--find-games searches $WINEPREFIX, ~/.wine and the prefixes of Lutris, Bottles,\n"
            "PlayOnLinux and Steam's Proton, and prints each folder, a tab and the kind of prefix\n"
            "(exit status 1 when it finds none).\n",
            "List every game folder found under Wine"};
}
