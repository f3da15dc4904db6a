#include "builder/ProjectLock.h"

#include "builder/ProjectPaths.h"
#include "common/Prompts.h"
#include "platform/FileOps.h"
#include "platform/NativePath.h"
#include "platform/Sha256.h"

namespace {

// The path every spelling of the file resolves to: links followed, the real case of each name
// on Windows. A project not yet written has its folder resolved and its name as given.
std::string RealPath(const std::string& projectPath) {
    const std::string absolute = AbsolutePath(projectPath);
    if (const std::string real = CanonicalPath(absolute); !real.empty())
        return real;
    const std::string folder = CanonicalPath(FolderHolding(absolute));
    const std::string name = Utf8Path(NativePath(absolute).filename());
    return folder.empty() ? absolute : JoinPath(folder, name);
}

} // namespace

std::string ProjectLock::LockPathOf(const std::string& projectPath) const {
    const std::string real = RealPath(projectPath);
    Sha256 hash;
    hash.Update(real.data(), real.size());
    return JoinPath(lockFolder_, "project-" + hash.HexDigest() + ".lock");
}

bool ProjectLock::Take(const std::string& projectPath, Prompts& prompts) {
    CreateFolderTree(lockFolder_);
    if (lock_.LockFile(LockPathOf(projectPath)) != FolderLock::Result::HeldByAnother)
        return true;
    prompts.Message("Another Korvane is changing the project " + projectPath +
                    ". Nothing was changed. Wait until it has finished, then try again.");
    return false;
}
