#include "patcher/PatchInstall.h"

#include "common/DeleteFolderTree.h"
#include "common/FileOps.h"
#include "common/TextFileWriter.h"
#include "patcher/PatcherPaths.h"

#include <utility>
#include <vector>

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
    const std::string patched = JoinPath(workFolder, "Default.con");
    TextFileWriter writer;
    if (!CopyFileReplacing(BackedUpDefaultCon(gameFolder), patched) ||
        !writer.Open(patched, true)) {
        prompts.Message("Unable to create patched Default.con");
        return false;
    }
    writer.WriteText("\nrun ../../../custom_music/playlists.con\n");
    writer.Close();
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
    const std::vector<std::pair<std::string, std::string>> installs = {
        {"US.ssc", InstalledUsSsc(gameFolder)},
        {"playlists.con", InstalledPlaylists(gameFolder)},
        {"Default.con", GameDefaultCon(gameFolder)},
        {"music.rfa", GameMusicRfa(gameFolder)},
    };
    for (const auto& [name, target] : installs) {
        const std::string workFile = JoinPath(workFolder, name);
        if (!CopyFileReplacing(workFile, target)) {
            prompts.Message("Unable to move file - patch failed.");
            return false;
        }
        RemoveFile(workFile);
    }
    return true;
}
