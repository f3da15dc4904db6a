#include "patcher/gamefolder/PatcherPaths.h"

#include "common/PackLayout.h"
#include "platform/FileOps.h"
#include "platform/PathNoCase.h"

std::string CustomMusicFolder(const std::string& gameFolder) {
    return JoinPath(gameFolder, "custom_music");
}

std::string BackupsFolder(const std::string& gameFolder) {
    return JoinPath(CustomMusicFolder(gameFolder), "backups");
}

std::string BackedUpDefaultCon(const std::string& gameFolder) {
    return JoinPath(BackupsFolder(gameFolder), "Default.con");
}

std::string BackedUpMusicRfa(const std::string& gameFolder) {
    return JoinPath(BackupsFolder(gameFolder), "music.rfa");
}

std::string BackupManifestFile(const std::string& gameFolder) {
    return JoinPath(BackupsFolder(gameFolder), "manifest.txt");
}

std::string InstallJournalFile(const std::string& gameFolder) {
    return JoinPath(CustomMusicFolder(gameFolder), "palisor.journal");
}

std::string InstalledPlaylists(const std::string& gameFolder) {
    return JoinPath(CustomMusicFolder(gameFolder), std::string(PackLayout::kPlaylistScript));
}

std::string InstalledUsSsc(const std::string& gameFolder) {
    return JoinPath(CustomMusicFolder(gameFolder), std::string(PackLayout::kSoundScript));
}

std::string GameDefaultCon(const std::string& gameFolder) {
    return ResolvePathNoCase(gameFolder, kGameDefaultConInFolder);
}

std::string GameMusicRfa(const std::string& gameFolder) {
    return ResolvePathNoCase(gameFolder, kGameMusicRfaInFolder);
}

std::string WorkFolderIn(const std::string& baseFolder) {
    return JoinPath(baseFolder, "work");
}

std::string PackFolder(const std::string& workFolder) {
    return JoinPath(workFolder, std::string(PackLayout::kPackFolder));
}

std::string UsFolder(const std::string& workFolder) {
    return JoinPath(workFolder, "US");
}

std::string WorkLockFile(const std::string& baseFolder) {
    return JoinPath(baseFolder, "work.lock");
}
