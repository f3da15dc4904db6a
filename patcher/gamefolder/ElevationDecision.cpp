#include "patcher/gamefolder/ElevationDecision.h"

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

ElevationDecision DecideElevation(const ElevationFacts& facts) {
    using Step = ElevationDecision::Step;
    const std::string& folder = facts.deniedFolder;
    if (facts.writable)
        return {Step::Proceed, {}};
    if (facts.elevated)
        return {Step::Refuse, "Couldn't do it - Palisor may not change files in " + folder +
                                  ", even as administrator. Check the folder's permissions "
                                  "(in its Properties, Security), then try again. Nothing was "
                                  "changed."};
    if (!facts.canRestart)
        return {Step::Refuse, "Couldn't do it - you may not change files in " + folder +
                                  ". Give your user permission to write the game folder, then "
                                  "try again. Nothing was changed."};
    if (!facts.fromWindow)
        return {Step::Refuse, "Only an administrator may change files in " + folder +
                                  ". Run palisor from a command prompt opened as "
                                  "administrator. Nothing was changed."};
    return {Step::OfferRestart,
            "Only an administrator may change files in " + folder +
                ", so Palisor cannot do it as it runs now. Nothing was changed.\n\nRestart "
                "Palisor as administrator, with the same game folder and pack?"};
}

std::vector<std::string> FoldersGameChangesWrite(const GameFolder& game) {
    std::vector<std::string> folders;
    for (const std::string& folder : {FolderOf(game.DefaultCon()), FolderOf(game.MusicRfa()),
                                      game.CustomMusic(), game.Backups()}) {
        const std::string existing = NearestExistingFolder(folder, game.Path());
        if (std::find(folders.begin(), folders.end(), existing) == folders.end())
            folders.push_back(existing);
    }
    return folders;
}

std::string FirstFolderDenied(const GameFolder& game,
                              const std::function<FolderAccess(const std::string&)>& probe) {
    for (const std::string& folder : FoldersGameChangesWrite(game))
        if (probe(folder) == FolderAccess::Denied)
            return folder;
    return {};
}

std::string RestartFailedMessage() {
    return "Couldn't restart Palisor as administrator. Nothing was changed.";
}
