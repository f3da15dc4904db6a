#pragma once
#include <string>
#include <vector>

// A Wine prefix that may hold the game, and the kind of launcher that made it: "wine",
// "lutris", "bottles", "playonlinux" or "proton".
struct WinePrefix {
    std::string folder;
    std::string kind;
};

// Every candidate prefix in search order, usable ones only, each folder once (compared once
// links are resolved): winePrefix (named by the user, so taken even when it is a link leading
// out of the home), ~/.wine, Lutris's, Bottles' (native and Flatpak), PlayOnLinux's and
// Steam's Proton prefixes. Prefixes inside home pass HomeFolderRules. Never throws.
std::vector<WinePrefix> WinePrefixesToSearch(const std::string& home,
                                             const std::string& winePrefix);
