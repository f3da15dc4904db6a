#include "patcher/Backup.h"

#include "common/FileOps.h"
#include "patcher/PatcherPaths.h"

#include <sys/stat.h>

namespace {

// Shows the busy cursor for the life of a handler, however it ends.
class BusyCursor {
public:
    explicit BusyCursor(BackupControls& controls) : controls_(controls) {
        controls_.ShowBusyCursor(true);
    }
    ~BusyCursor() { controls_.ShowBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    BackupControls& controls_;
};

bool FolderExistsOrCreated(const std::string& folder) {
    return FolderExists(folder) || CreateFolder(folder);
}

void ShowCreateFailure(Prompts& prompts, const std::string& folder) {
    prompts.Message("Couldn't do it - error while trying to create folder: " + folder);
}

} // namespace

bool GameFolderExists(const std::string& gameFolder) {
    struct stat info;
    return !gameFolder.empty() && ::stat(gameFolder.c_str(), &info) == 0;
}

bool BackupsComplete(const std::string& gameFolder) {
    return !gameFolder.empty() && FolderExists(BackupsFolder(gameFolder)) &&
           FileExists(BackedUpMusicRfa(gameFolder)) && FileExists(BackedUpDefaultCon(gameFolder));
}

bool CreateBackupFolders(const std::string& gameFolder, Prompts& prompts) {
    const std::string customMusic = CustomMusicFolder(gameFolder);
    const std::string backups = BackupsFolder(gameFolder);
    if (!FolderExists(customMusic) && !CreateFolder(customMusic)) {
        ShowCreateFailure(prompts, customMusic);
        return false;
    }
    if (!FolderExistsOrCreated(backups)) {
        ShowCreateFailure(prompts, backups);
        return false;
    }
    return true;
}

bool BackupOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls) {
    BusyCursor busy(controls);
    controls.EnableBackupButton(false);
    auto fail = [&](const std::string& message) {
        controls.EnableBackupButton(true);
        if (!message.empty())
            prompts.Message(message);
        return false;
    };
    // A failed copy is reported while the button is still disabled, then it comes back.
    auto copyFailed = [&](const std::string& path) {
        prompts.Message("Couldn't do it - error while trying to copy : " + path);
        controls.EnableBackupButton(true);
        return false;
    };
    if (!GameFolderExists(gameFolder))
        return fail("Can't do it - you need to locate the BFV folder!");
    if (BackupsComplete(gameFolder))
        return fail("Can't do it - everything is already backed up..(how did this get called?)");
    if (!CreateBackupFolders(gameFolder, prompts))
        return fail("");
    const std::string gameDefaultCon = GameDefaultCon(gameFolder);
    if (!CopyFileRefusing(gameDefaultCon, BackedUpDefaultCon(gameFolder)))
        return copyFailed(gameDefaultCon);
    const std::string gameMusicRfa = GameMusicRfa(gameFolder);
    if (!CopyFileRefusing(gameMusicRfa, BackedUpMusicRfa(gameFolder)))
        return copyFailed(gameMusicRfa);
    prompts.Message("Your files are now backed up in: " + BackupsFolder(gameFolder));
    controls.EnableRestoreButton(true);
    controls.EnableBackupButton(false);
    return true;
}

bool RestoreOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls) {
    controls.EnableRestoreButton(false);
    BusyCursor busy(controls);
    auto fail = [&](const std::string& message) {
        controls.EnableRestoreButton(true);
        prompts.Message(message);
        return false;
    };
    if (!GameFolderExists(gameFolder))
        return fail("Can't do it - you need to locate the BFV folder!");
    if (!BackupsComplete(gameFolder))
        return fail("Can't do it - the backup files have been removed - what did you do!?");
    const std::string gameDefaultCon = GameDefaultCon(gameFolder);
    if (!CopyFileReplacing(BackedUpDefaultCon(gameFolder), gameDefaultCon))
        return fail("Couldn't do it - error while trying to move Default.con from backup to: " +
                    gameDefaultCon);
    const std::string gameMusicRfa = GameMusicRfa(gameFolder);
    if (!CopyFileReplacing(BackedUpMusicRfa(gameFolder), gameMusicRfa)) {
        // Reported before the button comes back, unlike the earlier failures.
        prompts.Message("Couldn't do it - error while trying to move music.rfa from backup to: " +
                        gameMusicRfa);
        controls.EnableRestoreButton(true);
        return false;
    }
    RemoveFile(BackedUpMusicRfa(gameFolder));
    RemoveFile(BackedUpDefaultCon(gameFolder));
    prompts.Message("Your original files have been restored.");
    controls.EnableRestoreButton(false);
    controls.EnableBackupButton(true);
    return true;
}
