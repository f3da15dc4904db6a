#pragma once
#include "patcher/gamefolder/GameDirAnswer.h"

#include <string>
#include <vector>

// The registry path of the game's install folder (value GAMEDIR, local machine).
inline constexpr const char* kGameDirRegistryPath =
    "SOFTWARE\\EA GAMES\\Battlefield Vietnam\\GAMEDIR";

// Linux only: the game folder recorded in a Wine prefix's registry, turned into the local
// folder the game runs from (drive letter mapped through the prefix, the rest matched without
// regard to case), or why it is not used (GameDirAnswer). Never fails.
GameDirAnswer GameDirInWinePrefix(const std::string& prefix);
// Its folder: "" when there is no prefix, key or value, or the value is refused.
std::string GameFolderInWinePrefix(const std::string& prefix);

// What the registry says of the game folder: on Linux through the prefix in $WINEPREFIX, or
// else ~/.wine; on Windows the real registry, its 32-bit view first.
GameDirAnswer RegistryGameDir();
// Its folder: "" when there is none, or it is refused.
std::string RegistryGameFolder();

// One game folder found, and where it was found: on Linux the kind of Wine prefix it lies in
// ("wine", "lutris", "bottles", "playonlinux" or "proton"); on Windows "registry" or
// "program files".
struct FoundGameFolder {
    std::string folder;
    std::string prefixKind;
};

// Where to look on Linux: the home folder and the prefix named by $WINEPREFIX ("" for none).
// Windows needs neither.
struct DiscoveryPlaces {
    std::string home;
    std::string winePrefix;

    // $HOME and $WINEPREFIX.
    static DiscoveryPlaces FromEnvironment();
};

// Every game folder in the Wine prefixes of `places`, looked for in this order: $WINEPREFIX and
// ~/.wine, Lutris, Bottles, PlayOnLinux, Steam's Proton. Each prefix's registry answer comes
// before the usual install folders under drive_c, and all registry answers come first. Only
// folders holding both game files count; a folder reached twice (compared once links are
// resolved) is listed once, under the first prefix that reached it. Prefixes that are files,
// or links leading out of the home folder, are passed over (except $WINEPREFIX, which the user
// named). Never throws; empty when nothing is found.
// On Windows: GAMEDIR in the registry's 32-bit view, then in its 64-bit view, then the usual
// install folders under Program Files (x86) and Program Files, game folders only, each once.
// A GAMEDIR that is refused adds its GameDirAnswer::refusal to refusals (when given), each
// once.
std::vector<FoundGameFolder> FindGameFolders(const DiscoveryPlaces& places,
                                             std::vector<std::string>* refusals = nullptr);

// How --help describes where the game is looked for, on this system: the start of the help's
// footer, and the line of --find-games.
struct GameSearchText {
    const char* footer;
    const char* findGames;
};
GameSearchText GameSearchHelp();
