#include "patcher/install/WorkFolderSession.h"

#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/PatchInstall.h"

bool WorkFolderSession::Begin(const std::string& baseFolder, Prompts& prompts) {
    if (lock_.LockFile(WorkLockFile(baseFolder)) == FolderLock::Result::HeldByAnother) {
        prompts.Message("Another Palisor is working with the work folder " +
                        WorkFolderIn(baseFolder) + ". Wait until it has finished, then try again.");
        return false;
    }
    return PrepareWorkFolder(baseFolder, prompts);
}
