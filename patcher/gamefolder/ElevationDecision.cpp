#include "patcher/gamefolder/ElevationDecision.h"

#include "patcher/gamefolder/PatcherPaths.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"

#include <algorithm>

namespace {

std::string NearestExistingFolder(std::string folder, const std::string& gameFolder) {
    while (!FolderExists(folder) && folder.size() > gameFolder.size())
        folder = FolderOf(folder);
    return folder;
}

} // namespace

ElevationDecision DecideElevation(bool elevated, bool writable, bool canRestart,
                                  const std::string& folder) {
    using Step = ElevationDecision::Step;
    if (writable)
        return {Step::Proceed, {}};
    if (elevated)
        return {Step::Refuse, "Couldn't do it - Palisor may not change files in " + folder +
                                  ", even as administrator. Check the folder's permissions "
                                  "(in its Properties, Security), then try again. Nothing was "
                                  "changed."};
    if (!canRestart)
        return {Step::Refuse, "Couldn't do it - you may not change files in " + folder +
                                  ". Give your user permission to write the game folder, then "
                                  "try again. Nothing was changed."};
    return {Step::OfferRestart,
            "Only an administrator may change files in " + folder +
                ", so Palisor cannot do it as it runs now. Nothing was changed.\n\nRestart "
                "Palisor as administrator, with the same game folder and pack?"};
}

std::vector<std::string> FoldersGameChangesWrite(const std::string& gameFolder) {
    std::vector<std::string> folders;
    for (const std::string& folder :
         {FolderOf(GameDefaultCon(gameFolder)), FolderOf(GameMusicRfa(gameFolder)),
          CustomMusicFolder(gameFolder), BackupsFolder(gameFolder)}) {
        const std::string existing = NearestExistingFolder(folder, gameFolder);
        if (std::find(folders.begin(), folders.end(), existing) == folders.end())
            folders.push_back(existing);
    }
    return folders;
}

std::string FirstFolderDenied(const std::string& gameFolder,
                              const std::function<FolderAccess(const std::string&)>& probe) {
    for (const std::string& folder : FoldersGameChangesWrite(gameFolder))
        if (probe(folder) == FolderAccess::Denied)
            return folder;
    return {};
}

std::string RestartFailedMessage() {
    return "Couldn't restart Palisor as administrator. Nothing was changed.";
}
