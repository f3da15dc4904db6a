#include "patcher/gamefolder/GameFilesInUse.h"

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

std::string WhyGameFilesCannotBeReplaced(const std::vector<std::string>& paths) {
    if (const std::string held = FirstFileInUse(paths); !held.empty())
        return FileInUseMessage(held);
    for (const std::string& path : paths)
        if (IsReadOnlyFile(path))
            return "Couldn't do it - " + path +
                   " is read-only, so Palisor cannot replace it. Clear its Read-only attribute "
                   "(in the file's Properties), then try again. Nothing was changed.";
    return {};
}
