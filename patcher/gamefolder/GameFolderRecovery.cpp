#include "patcher/gamefolder/GameFolderRecovery.h"

#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/InstallJournal.h"
#include "patcher/gamefolder/InstalledPackRecord.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/FolderLock.h"
#include "platform/SafeFile.h"

namespace {

bool IsLeftoverOf(const std::string& name, const std::string& targetName) {
    return SafeFile::IsTemporaryNameOf(name, targetName) ||
           name == FileNameOf(InstallJournal::KeptName(targetName));
}

// Removes the regular files a crash left under a target's temporary names.
void RemoveLeftoversOf(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string targetName = FileNameOf(target);
    std::vector<std::string> leftovers;
    for (const FolderEntry& entry : ListFolder(folder))
        if (IsLeftoverOf(entry.name, targetName))
            leftovers.push_back(JoinPath(folder, entry.name));
    for (const auto& path : leftovers)
        if (InspectPath(path).kind == PathKind::RegularFile)
            RemoveFile(path);
}

void RemoveLeftovers(const std::string& gameFolder) {
    auto targets = InstallTargets(gameFolder);
    for (const auto& path : {BackedUpDefaultCon(gameFolder), BackedUpMusicRfa(gameFolder),
                             BackupManifestFile(gameFolder), InstallJournalFile(gameFolder),
                             InstalledPackRecord::Path(gameFolder)})
        targets.push_back(path);
    for (const auto& target : targets)
        RemoveLeftoversOf(target);
}

} // namespace

std::string FolderOfOursNotReal(const std::string& gameFolder) {
    for (const auto& folder : {CustomMusicFolder(gameFolder), BackupsFolder(gameFolder)}) {
        if (InspectPath(folder).kind == PathKind::Link)
            return folder;
    }
    return "";
}

bool CheckFoldersOfOurs(const std::string& gameFolder, Prompts& prompts) {
    const std::string folder = gameFolder.empty() ? "" : FolderOfOursNotReal(gameFolder);
    if (folder.empty())
        return true;
    prompts.Message("Can't do it - " + folder +
                    " is a link. Palisor keeps its backups and the installed playlist only in "
                    "a real folder inside the game folder, so nothing was changed. Replace the "
                    "link by a real folder (move into it what it leads to, if you need that), "
                    "then try again.");
    return false;
}

std::vector<std::string> InstallTargets(const std::string& gameFolder) {
    return {InstalledUsSsc(gameFolder), InstalledPlaylists(gameFolder), GameDefaultCon(gameFolder),
            GameMusicRfa(gameFolder)};
}

bool RecoverInterruptedInstall(const std::string& gameFolder, Prompts& prompts) {
    if (gameFolder.empty())
        return true;
    if (!CheckFoldersOfOurs(gameFolder, prompts))
        return false; // nothing there is read or trusted
    const std::string journal = InstallJournalFile(gameFolder);
    // Finishing or undoing a change replaces game files, which a running game holds open.
    if (InspectPath(journal).kind != PathKind::Missing) {
        if (const std::string why = WhyGameFilesCannotBeReplaced(InstallTargets(gameFolder));
            !why.empty()) {
            prompts.Message(why);
            return false;
        }
    }
    std::string folderInTheWay;
    switch (InstallJournal::Recover(gameFolder, journal, InstallTargets(gameFolder),
                                    &folderInTheWay)) {
    case InstallJournal::Outcome::Nothing:
        break;
    case InstallJournal::Outcome::Completed:
        prompts.Message("Palisor found an interrupted change to the game files and finished "
                        "it: the game folder now holds the complete new set of files.");
        break;
    case InstallJournal::Outcome::RolledBack:
        prompts.Message("Palisor found an interrupted change to the game files and undid it: "
                        "the game folder holds the same files as before that change.");
        break;
    case InstallJournal::Outcome::Damaged:
        prompts.Message("Palisor found an install journal it cannot read: " + journal +
                        ". Nothing was changed. Move that file away, then use Restore "
                        "Originals to put the original game files back.");
        return false;
    case InstallJournal::Outcome::InTheWay:
        prompts.Message("Palisor found an interrupted change to the game files but could not "
                        "finish or undo it: a folder is in the way at " +
                        folderInTheWay +
                        ". Nothing was changed. Move that folder away, then try again.");
        return false;
    default:
        prompts.Message("Palisor found an interrupted change to the game files but could not "
                        "finish or undo it. Nothing else was done. Make sure the game folder "
                        "can be written to (not read-only, disk not full), then try again.");
        return false;
    }
    RemoveLeftovers(gameFolder);
    return true;
}

bool BeginGameChange(const std::string& gameFolder, Prompts& prompts, FolderLock& lock) {
    if (lock.LockFolder(gameFolder) == FolderLock::Result::HeldByAnother) {
        prompts.Message("Another Palisor is changing the game files in " + gameFolder +
                        ". Wait until it has finished, then try again.");
        return false;
    }
    return RecoverInterruptedInstall(gameFolder, prompts);
}
