#include "patcher/gamefolder/GameFolderCheck.h"

#include "platform/FileOps.h"
#include "platform/PathNoCase.h"

std::string GameFolderProblem(const std::string& folder) {
    if (!folder.empty() && !FolderExists(folder))
        return "This folder does not exist.";
    for (const char* file :
         {"Mods/BfVietnam/settings/Default.con", "Mods/BfVietnam/Archives/music.rfa"})
        if (folder.empty() || !FileExists(ResolvePathNoCase(folder, file)))
            return std::string("Not a Battlefield Vietnam folder: ") + file + " is missing";
    return {};
}
