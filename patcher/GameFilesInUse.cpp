#include "patcher/GameFilesInUse.h"

#include "platform/FileOps.h"

std::string FirstFileInUse(const std::vector<std::string>& paths, const HeldOpenCheck& heldOpen) {
    for (const std::string& path : paths)
        if (heldOpen(path))
            return path;
    return {};
}

std::string FirstFileInUse(const std::vector<std::string>& paths) {
    return FirstFileInUse(paths, HeldOpenByAnother);
}

std::string FileInUseMessage(const std::string& path) {
    return "Couldn't do it - " + path +
           " is in use by another program (is the game running?). Close the game, then try "
           "again. Nothing was changed.";
}
