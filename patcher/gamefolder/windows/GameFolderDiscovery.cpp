#include "patcher/gamefolder/GameFolderDiscovery.h"

#include "common/RegistryValue.h"
#include "patcher/gamefolder/GameFolder.h"
#include "platform/FileOps.h"
#include "platform/KnownFolders.h"
#include "platform/WindowsRegistry.h"

#include <algorithm>
#include <set>

// On Windows the game's installer recorded its folder in the registry, and installs without
// one lie in the usual folders under Program Files.

namespace {

// Where installers put the game under a Program Files folder, most usual first.
const char* const kUsualInstallFolders[] = {
    "EA GAMES/Battlefield Vietnam",
    "Battlefield Vietnam",
};

GameDirAnswer GameDirIn(WindowsRegistry::Views views) {
    WindowsRegistry registry(views);
    RegistryValue gameDir(registry, RegistryRoot::LocalMachine, kGameDirRegistryPath, "", false);
    return GameDirAnswer::Of(gameDir.Value(), gameDir.Value(), "the registry");
}

std::string Canonical(const std::string& path) {
    const std::string resolved = CanonicalPath(path);
    return resolved.empty() ? path : resolved;
}

} // namespace

GameDirAnswer RegistryGameDir() {
    return GameDirIn(WindowsRegistry::Views::ThirtyTwoThenSixtyFour);
}

std::string RegistryGameFolder() {
    return RegistryGameDir().folder;
}

DiscoveryPlaces DiscoveryPlaces::FromEnvironment() {
    return {};
}

std::vector<FoundGameFolder> FindGameFolders(const DiscoveryPlaces&,
                                             std::vector<std::string>* refusals) {
    std::vector<FoundGameFolder> candidates;
    // Both views: a 32-bit installer writes under WOW6432Node, a 64-bit one (or a copy made
    // by hand) beside it.
    for (auto views :
         {WindowsRegistry::Views::ThirtyTwoOnly, WindowsRegistry::Views::SixtyFourOnly}) {
        const GameDirAnswer answer = GameDirIn(views);
        candidates.push_back({answer.folder, "registry"});
        if (refusals && !answer.refusal.empty() &&
            std::find(refusals->begin(), refusals->end(), answer.refusal) == refusals->end())
            refusals->push_back(answer.refusal);
    }
    for (const std::string& programFiles : ProgramFilesFolders())
        for (const char* usual : kUsualInstallFolders)
            candidates.push_back({JoinPath(programFiles, usual), "program files"});
    std::vector<FoundGameFolder> found;
    std::set<std::string> seen;
    for (auto& candidate : candidates)
        if (!candidate.folder.empty() && GameFolder(candidate.folder).IsGame() &&
            seen.insert(Canonical(candidate.folder)).second)
            found.push_back(std::move(candidate));
    return found;
}

GameSearchText GameSearchHelp() {
    return {"Without --game-folder the game folder comes from the game's registry entry\n"
            "(GAMEDIR, the 32-bit view first).\n"
            "--find-games lists the registry's answers and the usual install folders under\n"
            "Program Files and Program Files (x86), and prints each folder, a tab and where it\n"
            "was found (exit status 1 when it finds none).\n",
            "List every game folder found"};
}
