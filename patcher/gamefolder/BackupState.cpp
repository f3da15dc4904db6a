#include "patcher/gamefolder/BackupState.h"

#include "patcher/gamefolder/BackupManifest.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "platform/FileOps.h"

namespace {

bool IsRegularFile(const std::string& path) {
    return InspectPath(path).kind == PathKind::RegularFile;
}

} // namespace

bool GameFolderExists(const std::string& gameFolder) {
    return FileExists(gameFolder) || FolderExists(gameFolder);
}

BackupState CheckBackups(const std::string& gameFolder) {
    if (gameFolder.empty() || !FolderOfOursNotReal(gameFolder).empty() ||
        !FolderExists(BackupsFolder(gameFolder)))
        return BackupState::Missing;
    const bool haveDefaultCon = IsRegularFile(BackedUpDefaultCon(gameFolder));
    const bool haveMusicRfa = IsRegularFile(BackedUpMusicRfa(gameFolder));
    if (!haveDefaultCon && !haveMusicRfa)
        return BackupState::Missing;
    if (!haveDefaultCon || !haveMusicRfa)
        return BackupState::Partial;
    const auto manifest = BackupManifest::Read(BackupManifestFile(gameFolder));
    return manifest && manifest->Matches(BackupsFolder(gameFolder)) ? BackupState::Complete
                                                                    : BackupState::Untrusted;
}

bool BackupsComplete(const std::string& gameFolder) {
    return CheckBackups(gameFolder) == BackupState::Complete;
}
