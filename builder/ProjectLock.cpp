#include "builder/ProjectLock.h"

#include "common/Prompts.h"

std::string ProjectLock::LockPathOf(const std::string& projectPath) {
    return projectPath + ".lock";
}

bool ProjectLock::Take(const std::string& projectPath, Prompts& prompts) {
    if (lock_.LockFile(LockPathOf(projectPath)) != FolderLock::Result::HeldByAnother)
        return true;
    prompts.Message("Another Korvane is changing the project " + projectPath +
                    ". Nothing was changed. Wait until it has finished, then try again.");
    return false;
}
