#include "patcher/gamefolder/GameFolderRecovery.h"

#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/InstallJournal.h"
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

void RemoveLeftovers(const GameFolder& game) {
    auto targets = game.InstallTargets();
    for (const auto& path : {game.BackedUpDefaultCon(), game.BackedUpMusicRfa(),
                             game.ManifestFile(), game.JournalFile(), game.PackRecordFile()})
        targets.push_back(path);
    for (const auto& target : targets)
        RemoveLeftoversOf(target);
}

} // namespace

bool CheckFoldersOfOurs(const GameFolder& game, Prompts& prompts) {
    const std::string folder = game.FolderOfOursNotReal();
    if (folder.empty())
        return true;
    prompts.Message("Can't do it - " + folder +
                    " is a link. Palisor keeps its backups and the installed playlist only in "
                    "a real folder inside the game folder, so nothing was changed. Replace the "
                    "link by a real folder (move into it what it leads to, if you need that), "
                    "then try again.");
    return false;
}

bool RecoverInterruptedInstall(const GameFolder& game, Prompts& prompts) {
    if (!game.Chosen())
        return true;
    if (!CheckFoldersOfOurs(game, prompts))
        return false; // nothing there is read or trusted
    const std::string journal = game.JournalFile();
    // Finishing or undoing a change replaces game files, which a running game holds open.
    if (game.ChangeInterrupted()) {
        if (const std::string why = WhyGameFilesCannotBeReplaced(game.InstallTargets());
            !why.empty()) {
            prompts.Message(why);
            return false;
        }
    }
    std::string folderInTheWay;
    switch (InstallJournal::Recover(game.Path(), journal, game.InstallTargets(), &folderInTheWay)) {
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
    RemoveLeftovers(game);
    return true;
}

bool BeginGameChange(const GameFolder& game, Prompts& prompts, FolderLock& lock) {
    if (const std::string why = game.WhyRewritten(); !why.empty()) {
        prompts.Message("Can't do it - Windows would take the game folder " + game.Path() +
                        " for another folder: " + why +
                        ". Nothing was changed. Choose the folder again, as Explorer shows it.");
        return false;
    }
    if (lock.LockFolder(game.Path()) == FolderLock::Result::HeldByAnother) {
        prompts.Message("Another Palisor is changing the game files in " + game.Path() +
                        ". Wait until it has finished, then try again.");
        return false;
    }
    return RecoverInterruptedInstall(game, prompts);
}
