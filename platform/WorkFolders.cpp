#include "platform/WorkFolders.h"

#include "platform/FileOps.h"
#include "platform/KnownFolders.h"

bool WorkFoldersBesidePrograms(const std::string& programFolder) {
    return FileExists(JoinPath(programFolder, kBuildTreeMarker)) ||
           FileExists(JoinPath(programFolder, kPortableMarker));
}

std::string WorkBaseFolder(const std::string& programName) {
    const std::string folder = ExecutableFolder();
    if (WorkFoldersBesidePrograms(folder))
        return folder;
    const std::string result = JoinPath(JoinPath(UserDataFolder(), programName), programName);
    static_cast<void>(CreateFolderTree(result));
    return result;
}
