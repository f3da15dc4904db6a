#pragma once
#include <string>

// The registry path of the game's install folder (value GAMEDIR, local machine).
inline constexpr const char* kGameDirRegistryPath =
    "SOFTWARE\\EA GAMES\\Battlefield Vietnam\\GAMEDIR";

// The game folder recorded in a Wine prefix's registry, turned into the local folder the game
// runs from (drive letter mapped through the prefix, the rest matched without regard to case).
// "" when there is no prefix, key or value; never fails otherwise.
std::string GameFolderInWinePrefix(const std::string& prefix);

// The same for the prefix in $WINEPREFIX, or else ~/.wine.
std::string RegistryGameFolder();
