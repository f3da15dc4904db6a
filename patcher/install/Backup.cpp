#include "patcher/install/Backup.h"

#include "common/PackLayout.h"
#include "patcher/gamefolder/BackupManifest.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/StagedInstall.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/FolderLock.h"
#include "platform/SafeFile.h"
#include "platform/Sha256.h"
#include "platform/SmallFileReader.h"

#include <optional>

namespace {

constexpr std::uint64_t kLargestDefaultCon = 16u << 20;

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

bool IsRegularFile(const std::string& path) {
    return InspectPath(path).kind == PathKind::RegularFile;
}

// Whether a Default.con holds the line a patch appends; nothing when it cannot be read.
std::optional<bool> HoldsRunLine(const std::string& path) {
    const auto text =
        SmallFileReader::Read(path, kLargestDefaultCon, SmallFileReader::Links::Follow);
    if (!text)
        return std::nullopt;
    return text->find(PackLayout::kRunLine) != std::string::npos;
}

// Copies one game file into the backups folder; the manifest item describes what was copied.
bool BackUpFile(const std::string& from, const std::string& to, BackupManifest::Item& item) {
    Sha256 hash;
    SafeFile copy(to);
    if (!copy.CopyFrom(from, &hash) || !copy.Commit())
        return false;
    const auto length = FileLength(to);
    item.size = length.value_or(0);
    item.sha256 = hash.HexDigest();
    return length.has_value();
}

// The first of the backup's own files that something other than a regular file holds.
std::string SpecialFileInBackups(const std::string& gameFolder) {
    for (const auto& path : {BackedUpDefaultCon(gameFolder), BackedUpMusicRfa(gameFolder),
                             BackupManifestFile(gameFolder)}) {
        const PathKind kind = InspectPath(path).kind;
        if (kind != PathKind::Missing && kind != PathKind::RegularFile)
            return path;
    }
    return "";
}

// Removes the manifest first, so a backup cut short by a crash never looks complete.
bool RemoveManifest(const std::string& gameFolder) {
    const std::string manifest = BackupManifestFile(gameFolder);
    if (IsRegularFile(manifest) && !RemoveFile(manifest))
        return false;
    return static_cast<bool>(FlushFolder(BackupsFolder(gameFolder)));
}

} // namespace

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
    FolderLock gameLock;
    if (!BeginGameChange(gameFolder, prompts, gameLock))
        return fail("");
    if (BackupsComplete(gameFolder))
        return fail("Can't do it - everything is already backed up..(how did this get called?)");
    const std::string gameDefaultCon = GameDefaultCon(gameFolder);
    const std::string gameMusicRfa = GameMusicRfa(gameFolder);
    // Not the game's folder (or not all of it): create nothing there.
    for (const auto& path : {gameDefaultCon, gameMusicRfa})
        if (!FileExists(path))
            return copyFailed(path);
    const auto patched = HoldsRunLine(gameDefaultCon);
    if (!patched)
        return copyFailed(gameDefaultCon);
    if (*patched)
        return fail("Couldn't do it - " + gameDefaultCon +
                    " already runs the custom playlist, so it is not the game's original. "
                    "Nothing was changed. Put the original files back (reinstall or repair the "
                    "game), then back up again.");
    if (!CreateBackupFolders(gameFolder, prompts))
        return fail("");
    const std::string special = SpecialFileInBackups(gameFolder);
    if (!special.empty()) {
        // Reported while the button is still disabled, as a failed copy is.
        prompts.Message("Couldn't do it - " + special +
                        " is a link, a folder or another special file, which Palisor never "
                        "replaces. Move it away, then back up again.");
        controls.EnableBackupButton(true);
        return false;
    }
    if (!RemoveManifest(gameFolder))
        return copyFailed(gameDefaultCon);
    BackupManifest manifest;
    manifest.items = {{"Default.con", 0, ""}, {"music.rfa", 0, ""}};
    if (!BackUpFile(gameDefaultCon, BackedUpDefaultCon(gameFolder), manifest.items[0]))
        return copyFailed(gameDefaultCon);
    if (!BackUpFile(gameMusicRfa, BackedUpMusicRfa(gameFolder), manifest.items[1]) ||
        !manifest.Write(BackupManifestFile(gameFolder)) || !BackupsComplete(gameFolder))
        return copyFailed(gameMusicRfa);
    prompts.Inform("Your files are now backed up in: " + BackupsFolder(gameFolder));
    controls.EnableRestoreButton(true);
    controls.EnableBackupButton(false);
    return true;
}

namespace {

// Stages both backed-up files beside the game's and checks the staged bytes against the
// manifest. Returns the game path whose copy failed, or "" when both are staged.
std::string StageOriginals(const std::string& gameFolder, const BackupManifest& manifest,
                           StagedInstall& install, bool& untrusted) {
    const std::pair<std::string, std::string> files[] = {
        {"Default.con", GameDefaultCon(gameFolder)}, {"music.rfa", GameMusicRfa(gameFolder)}};
    for (const auto& [name, target] : files) {
        Sha256 hash;
        if (!install.Stage(JoinPath(BackupsFolder(gameFolder), name), target, &hash))
            return target;
        if (hash.HexDigest() != manifest.Find(name)->sha256) {
            untrusted = true;
            return target;
        }
    }
    return "";
}

bool GameFilesMatch(const std::string& gameFolder, const BackupManifest& manifest) {
    return Sha256::OfFile(GameDefaultCon(gameFolder)) == manifest.Find("Default.con")->sha256 &&
           Sha256::OfFile(GameMusicRfa(gameFolder)) == manifest.Find("music.rfa")->sha256;
}

void RemoveBackups(const std::string& gameFolder) {
    RemoveManifest(gameFolder);
    RemoveFile(BackedUpMusicRfa(gameFolder));
    RemoveFile(BackedUpDefaultCon(gameFolder));
    FlushFolder(BackupsFolder(gameFolder));
}

} // namespace

bool RestoreOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls) {
    controls.EnableRestoreButton(false);
    BusyCursor busy(controls);
    auto fail = [&](const std::string& message) {
        controls.EnableRestoreButton(true);
        if (!message.empty())
            prompts.Message(message);
        return false;
    };
    if (!GameFolderExists(gameFolder))
        return fail("Can't do it - you need to locate the BFV folder!");
    FolderLock gameLock;
    if (!BeginGameChange(gameFolder, prompts, gameLock))
        return fail("");
    const BackupState state = CheckBackups(gameFolder);
    if (state == BackupState::Missing || state == BackupState::Partial)
        return fail("Can't do it - the backup files have been removed - what did you do!?");
    const std::string untrustedMessage =
        "Can't do it - the backup in " + BackupsFolder(gameFolder) +
        " does not match its manifest (it is incomplete or damaged), so it was not used and "
        "nothing was changed. If the game's own files are still the originals, press Backup "
        "Originals to back them up again; otherwise reinstall or repair the game.";
    const auto manifest = BackupManifest::Read(BackupManifestFile(gameFolder));
    if (state == BackupState::Untrusted || !manifest)
        return fail(untrustedMessage);
    // The game holds its files open while it runs; Windows cannot replace them then.
    if (const std::string why =
            WhyGameFilesCannotBeReplaced({GameDefaultCon(gameFolder), GameMusicRfa(gameFolder)});
        !why.empty())
        return fail(why);
    const std::string defaultConFailure =
        "Couldn't do it - error while trying to move Default.con from backup to: " +
        GameDefaultCon(gameFolder);
    const std::string musicRfaFailure =
        "Couldn't do it - error while trying to move music.rfa from backup to: " +
        GameMusicRfa(gameFolder);
    auto failedAt = [&](const std::string& target) {
        if (target == GameMusicRfa(gameFolder)) {
            // Reported before the button comes back, unlike the earlier failures.
            prompts.Message(musicRfaFailure);
            controls.EnableRestoreButton(true);
            return false;
        }
        return fail(defaultConFailure);
    };
    StagedInstall install(gameFolder);
    bool untrusted = false;
    const std::string stagingFailed = StageOriginals(gameFolder, *manifest, install, untrusted);
    if (untrusted)
        return fail(untrustedMessage);
    if (!stagingFailed.empty())
        return failedAt(stagingFailed);
    const auto outcome = install.Commit();
    if (outcome != InstallJournal::Outcome::Installed) {
        failedAt(install.FailedTarget());
        if (outcome == InstallJournal::Outcome::Stuck)
            RecoverInterruptedInstall(gameFolder, prompts);
        return false;
    }
    if (!GameFilesMatch(gameFolder, *manifest))
        return fail("Couldn't do it - the restored files do not match the backup. The backup "
                    "was kept in " +
                    BackupsFolder(gameFolder) + "; press Restore Originals again.");
    RemoveBackups(gameFolder);
    prompts.Inform("Your original files have been restored.");
    controls.EnableRestoreButton(false);
    controls.EnableBackupButton(true);
    return true;
}
