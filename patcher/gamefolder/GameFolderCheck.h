#pragma once
#include <string>

// Whether a folder is the game's: both files a patch replaces are there, found without regard
// to case as the game finds them.

// "" for the game's folder; "This folder does not exist." for a path that names no folder;
// otherwise the message naming the first missing file,
// "Not a Battlefield Vietnam folder: Mods/BfVietnam/settings/Default.con is missing" (or
// .../Archives/music.rfa). Never throws.
std::string GameFolderProblem(const std::string& folder);

inline bool IsGameFolder(const std::string& folder) {
    return GameFolderProblem(folder).empty();
}
