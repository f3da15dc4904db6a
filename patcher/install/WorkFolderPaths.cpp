#include "patcher/install/WorkFolderPaths.h"

#include "common/PackLayout.h"
#include "platform/FileOps.h"

std::string WorkFolderIn(const std::string& baseFolder) {
    return JoinPath(baseFolder, "work");
}

std::string WorkLockFile(const std::string& baseFolder) {
    return JoinPath(baseFolder, "work.lock");
}

std::string PackFolder(const std::string& workFolder) {
    return JoinPath(workFolder, std::string(PackLayout::kPackFolder));
}

std::string UsFolder(const std::string& workFolder) {
    return JoinPath(workFolder, "US");
}
