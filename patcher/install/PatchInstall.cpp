#include "patcher/install/PatchInstall.h"

#include "common/DeleteFolderTree.h"
#include "common/PackLayout.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/StagedInstall.h"
#include "platform/FileOps.h"
#include "platform/SafeFile.h"

bool PrepareWorkFolder(const std::string& baseFolder, Prompts& prompts) {
    const std::string workFolder = WorkFolderIn(baseFolder);
    DeleteFolderTree(workFolder);
    if (!CreateFolder(workFolder)) {
        prompts.Message("Error while trying to create folder: " + workFolder);
        return false;
    }
    return true;
}

bool BuildPatchedDefaultCon(const std::string& gameFolder, const std::string& workFolder,
                            Prompts& prompts) {
    // The backed-up copy plus the run line framed by CR LF pairs, as text mode writes it.
    SafeFile patched(JoinPath(workFolder, "Default.con"), SafeFile::Care::Unflushed);
    if (!patched.CopyFrom(BackedUpDefaultCon(gameFolder)) ||
        !patched.Write("\r\n" + std::string(PackLayout::kRunLine) + "\r\n") || !patched.Commit()) {
        prompts.Message("Unable to create patched Default.con");
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

bool InstallPatchedFiles(const std::string& gameFolder, const std::string& workFolder,
                         Prompts& prompts) {
    for (const char* name : {"music.rfa", "Default.con", "playlists.con", "US.ssc"})
        if (!CheckPatchFile(JoinPath(workFolder, name), prompts))
            return false;
    const char* const names[] = {"US.ssc", "playlists.con", "Default.con", "music.rfa"};
    const auto targets = InstallTargets(gameFolder);
    // A running game holds its files open: on Windows they cannot be replaced then.
    if (const std::string why = WhyGameFilesCannotBeReplaced(targets); !why.empty()) {
        prompts.Message(why);
        return false;
    }
    StagedInstall install(gameFolder);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (install.Stage(JoinPath(workFolder, names[i]), targets[i]))
            continue;
        if (install.TargetRefused())
            prompts.Message("Unable to move file - patch failed: " + targets[i] +
                            " is a link, a folder or another special file, which Palisor never "
                            "replaces. Move it away, then apply again.");
        else
            prompts.Message("Unable to move file - patch failed.");
        return false;
    }
    const auto outcome = install.Commit();
    if (outcome != InstallJournal::Outcome::Installed) {
        prompts.Message("Unable to move file - patch failed.");
        if (outcome == InstallJournal::Outcome::Stuck)
            RecoverInterruptedInstall(gameFolder, prompts);
        return false;
    }
    for (const char* name : names)
        RemoveFile(JoinPath(workFolder, name));
    return true;
}
