#include "platform/WorkFolders.h"

#include "platform/FileOps.h"
#include "platform/KnownFolders.h"

std::string WorkBaseFolder(const std::string& programName) {
    const std::string folder = ExecutableFolder();
    if (FileExists(folder + "/" + kBuildTreeMarker))
        return folder;
    const std::string result = UserDataFolder() + "/" + programName + "/" + programName;
    CreateFolderTree(result);
    return result;
}
