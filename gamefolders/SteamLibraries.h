#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The Wine prefixes Steam's Proton keeps, one per game, in every Steam library.
class SteamLibraries {
public:
    // Largest libraryfolders.vdf read; it lists every installed app of every library.
    static constexpr std::size_t kMaxVdfBytes = 4 * 1024 * 1024;

    // The library folders a libraryfolders.vdf text lists: the "path" of each numbered entry,
    // or (older clients) the entry's own string value, in file order. Stops at the first
    // malformed token, keeping what came before; never throws.
    static std::vector<std::string> PathsInVdf(const std::string& vdf);

    // Every library: the Steam folders in the home (~/.steam/steam, ~/.local/share/Steam and
    // the Flatpak one), each followed by the libraries its libraryfolders.vdf lists. May
    // repeat a folder under another name.
    static std::vector<std::string> Libraries(const std::string& home,
                                              const std::string& canonicalHome);

    // The folders compatdata/*/pfx of every library's steamapps, in library then name order,
    // that pass the rules of HomeFolderRules.h. Never throws.
    static std::vector<std::string> ProtonPrefixes(const std::string& home,
                                                   const std::string& canonicalHome);
};
