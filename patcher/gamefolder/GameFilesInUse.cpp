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

bool HeldByAnother(const SystemError& cause) {
    return cause.Kind() == FileFailure::Busy;
}

std::string HeldBackupMessage(const std::string& path) {
    return "Can't do it - the backup " + path +
           " is held open by another program, so Palisor cannot read it now. Close that "
           "program, then try again. The backup is kept, and nothing was changed.";
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
