#include "platform/WorkFolders.h"

#include "platform/FileOps.h"
#include "platform/KnownFolders.h"

bool WorkFoldersBesidePrograms(const std::string& programFolder) {
    return FileExists(programFolder + "/" + kBuildTreeMarker) ||
           FileExists(programFolder + "/" + kPortableMarker);
}

std::string WorkBaseFolder(const std::string& programName) {
    const std::string folder = ExecutableFolder();
    if (WorkFoldersBesidePrograms(folder))
        return folder;
    const std::string result = UserDataFolder() + "/" + programName + "/" + programName;
    CreateFolderTree(result);
    return result;
}
