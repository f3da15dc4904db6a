#include "patcher/install/PatchInstall.h"

#include "common/DeleteFolderTree.h"
#include "common/PackLayout.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/install/StagedInstall.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "platform/SafeFile.h"

namespace {

// A file another program held past the retry is named; any other failure keeps the original's
// words. The cause goes with either.
void ShowInstallFailure(const StagedInstall& install, Prompts& prompts) {
    const SystemError& cause = install.Failure();
    const std::string held = install.FailedTarget().empty() ? cause.path : install.FailedTarget();
    prompts.MessageWithDetails(HeldByAnother(cause) ? FileInUseMessage(held)
                                                    : "Unable to move file - patch failed.",
                               cause.Describe());
}

} // namespace

bool PrepareWorkFolder(const std::string& baseFolder, Prompts& prompts) {
    const std::string workFolder = WorkFolderIn(baseFolder);
    DeleteFolderTree(workFolder);
    if (const FileResult created = CreateFolder(workFolder); !created) {
        prompts.MessageWithDetails("Error while trying to create folder: " + workFolder,
                                   created.Error().Describe());
        return false;
    }
    return true;
}

bool BuildPatchedDefaultCon(const GameFolder& game, const std::string& workFolder,
                            Prompts& prompts) {
    // The backed-up copy plus the run line framed by CR LF pairs, as text mode writes it.
    SafeFile patched(JoinPath(workFolder, "Default.con"), SafeFile::Care::Unflushed);
    if (!patched.CopyFrom(game.BackedUpDefaultCon()) ||
        !patched.Write("\r\n" + std::string(PackLayout::kRunLine) + "\r\n") || !patched.Commit()) {
        prompts.MessageWithDetails("Unable to create patched Default.con",
                                   patched.Error().Describe());
        return false;
    }
    return true;
}

bool CheckPatchFile(const std::string& path, Prompts& prompts) {
    auto length = FileLength(path);
    if (!length) {
        prompts.Message("File is missing - unable to patch.");
        return false;
    }
    if (*length == 0) {
        prompts.Message("File is corrupt - unable to patch.");
        return false;
    }
    return true;
}

bool InstallPatchedFiles(const GameFolder& game, const std::string& workFolder, Prompts& prompts) {
    for (const char* name : {"music.rfa", "Default.con", "playlists.con", "US.ssc"})
        if (!CheckPatchFile(JoinPath(workFolder, name), prompts))
            return false;
    const char* const names[] = {"US.ssc", "playlists.con", "Default.con", "music.rfa"};
    const auto targets = game.InstallTargets();
    // A running game holds its files open: on Windows they cannot be replaced then.
    if (const std::string why = WhyGameFilesCannotBeReplaced(targets); !why.empty()) {
        prompts.Message(why);
        return false;
    }
    StagedInstall install(game);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (install.Stage(JoinPath(workFolder, names[i]), targets[i]))
            continue;
        if (install.TargetRefused())
            prompts.Message("Unable to move file - patch failed: " + targets[i] +
                            " is a link, a folder or another special file, which Palisor never "
                            "replaces. Move it away, then apply again.");
        else
            ShowInstallFailure(install, prompts);
        return false;
    }
    const auto outcome = install.Commit();
    if (outcome != InstallJournal::Outcome::Installed) {
        ShowInstallFailure(install, prompts);
        if (outcome == InstallJournal::Outcome::Stuck)
            RecoverInterruptedInstall(game, prompts);
        return false;
    }
    for (const char* name : names)
        RemoveFile(JoinPath(workFolder, name));
    return true;
}
