#pragma once
#include "patcher/pack/PackValidator.h"

#include <string>
#include <vector>

// What a pack holds, read for the window before anything is installed: the pack is extracted
// into a fresh folder of its own inside the work folder, checked as an install would check it
// (song headers only, not decoded) and the folder removed again.
struct PackPreview {
    std::string problem;         // "" when the pack passed; otherwise why it was refused
    std::vector<PackSong> songs; // the sixteen songs in play order when it passed

    // problem is "File is missing - unable to patch." when no file is at packPath, "Not a
    // valid velk file." when it cannot be extracted (or the work folder cannot hold it), or
    // PackValidator's reason. Never throws for what the pack holds.
    static PackPreview Read(const std::string& packPath, const std::string& workFolder);
};
