#include "patcher/install/Backup.h"

#include "common/PackLayout.h"
#include "patcher/gamefolder/BackupManifest.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
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

void ShowCreateFailure(Prompts& prompts, const std::string& folder, const SystemError& cause) {
    prompts.MessageWithDetails("Couldn't do it - error while trying to create folder: " + folder,
                               cause.Describe());
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
FileResult BackUpFile(const std::string& from, const std::string& to, BackupManifest::Item& item) {
    Sha256 hash;
    SafeFile copy(to);
    if (!copy.CopyFrom(from, &hash) || !copy.Commit())
        return copy.Error();
    const auto length = FileLength(to);
    if (!length)
        return SystemError::OfKind(FileFailure::Missing, "FileLength", to);
    item.size = *length;
    item.sha256 = hash.HexDigest();
    return {};
}

// The first of the backup's own files that something other than a regular file holds.
std::string SpecialFileInBackups(const GameFolder& game) {
    for (const auto& path :
         {game.BackedUpDefaultCon(), game.BackedUpMusicRfa(), game.ManifestFile()}) {
        const PathKind kind = InspectPath(path).kind;
        if (kind != PathKind::Missing && kind != PathKind::RegularFile)
            return path;
    }
    return "";
}

// Removes the manifest first, so a backup cut short by a crash never looks complete.
FileResult RemoveManifest(const GameFolder& game) {
    const std::string manifest = game.ManifestFile();
    if (IsRegularFile(manifest))
        if (FileResult removed = RemoveFile(manifest); !removed)
            return removed;
    return FlushFolder(game.Backups());
}

} // namespace

bool CreateBackupFolders(const GameFolder& game, Prompts& prompts) {
    for (const std::string& folder : {game.CustomMusic(), game.Backups()}) {
        if (FolderExists(folder))
            continue;
        if (const FileResult created = CreateFolder(folder); !created) {
            ShowCreateFailure(prompts, folder, created.Error());
            return false;
        }
    }
    return true;
}

bool BackupOriginals(const GameFolder& game, Prompts& prompts, const Settled& settled) {
    const auto settle = [&] {
        if (settled)
            settled();
    };
    // Refusals settle before their message; a failed copy is reported first, then settles.
    auto refuse = [&](const std::string& message) {
        settle();
        if (!message.empty())
            prompts.Message(message);
        return false;
    };
    auto failAfter = [&](const std::string& message) {
        prompts.Message(message);
        settle();
        return false;
    };
    auto copyFailed = [&](const std::string& path, const SystemError& cause = {}) {
        prompts.MessageWithDetails("Couldn't do it - error while trying to copy : " + path,
                                   cause.Describe());
        settle();
        return false;
    };
    if (!game.Exists())
        return refuse("Can't do it - you need to locate the BFV folder!");
    FolderLock gameLock;
    if (!BeginGameChange(game, prompts, gameLock))
        return refuse("");
    SystemError heldBy;
    const BackupState state = game.CheckBackups(&heldBy);
    if (state == BackupState::Complete)
        return refuse("Can't do it - everything is already backed up..(how did this get called?)");
    // A backup another program holds may well be whole: it is never made again over it.
    if (state == BackupState::Held) {
        settle();
        prompts.MessageWithDetails(HeldBackupMessage(heldBy.path), heldBy.Describe());
        return false;
    }
    const std::string gameDefaultCon = game.DefaultCon();
    const std::string gameMusicRfa = game.MusicRfa();
    // Not the game's folder (or not all of it): create nothing there.
    for (const auto& path : {gameDefaultCon, gameMusicRfa})
        if (!FileExists(path))
            return copyFailed(path);
    const auto patched = HoldsRunLine(gameDefaultCon);
    if (!patched)
        return copyFailed(gameDefaultCon);
    if (*patched)
        return refuse("Couldn't do it - " + gameDefaultCon +
                      " already runs the custom playlist, so it is not the game's original. "
                      "Nothing was changed. Put the original files back (reinstall or repair the "
                      "game), then back up again.");
    if (!CreateBackupFolders(game, prompts))
        return refuse("");
    if (const std::string special = SpecialFileInBackups(game); !special.empty())
        return failAfter("Couldn't do it - " + special +
                         " is a link, a folder or another special file, which Palisor never "
                         "replaces. Move it away, then back up again.");
    if (const FileResult removed = RemoveManifest(game); !removed)
        return copyFailed(gameDefaultCon, removed.Error());
    BackupManifest manifest;
    manifest.items = {{"Default.con", 0, ""}, {"music.rfa", 0, ""}};
    if (const FileResult copied =
            BackUpFile(gameDefaultCon, game.BackedUpDefaultCon(), manifest.items[0]);
        !copied)
        return copyFailed(gameDefaultCon, copied.Error());
    FileResult finished = BackUpFile(gameMusicRfa, game.BackedUpMusicRfa(), manifest.items[1]);
    if (finished)
        finished = manifest.Write(game.ManifestFile());
    if (!finished || !game.BackupsComplete())
        return copyFailed(gameMusicRfa, finished.Error());
    prompts.Inform("Your files are now backed up in: " + game.Backups());
    settle();
    return true;
}

namespace {

// Stages both backed-up files beside the game's and checks the staged bytes against the
// manifest. Returns the game path whose copy failed, or "" when both are staged.
std::string StageOriginals(const GameFolder& game, const BackupManifest& manifest,
                           StagedInstall& install, bool& untrusted) {
    const std::pair<std::string, std::string> files[] = {{"Default.con", game.DefaultCon()},
                                                         {"music.rfa", game.MusicRfa()}};
    for (const auto& [name, target] : files) {
        Sha256 hash;
        if (!install.Stage(JoinPath(game.Backups(), name), target, &hash))
            return target;
        if (hash.HexDigest() != manifest.Find(name)->sha256) {
            untrusted = true;
            return target;
        }
    }
    return "";
}

bool GameFilesMatch(const GameFolder& game, const BackupManifest& manifest) {
    return Sha256::OfFile(game.DefaultCon()) == manifest.Find("Default.con")->sha256 &&
           Sha256::OfFile(game.MusicRfa()) == manifest.Find("music.rfa")->sha256;
}

void RemoveBackups(const GameFolder& game) {
    RemoveManifest(game);
    RemoveFile(game.BackedUpMusicRfa());
    RemoveFile(game.BackedUpDefaultCon());
    FlushFolder(game.Backups());
}

} // namespace

bool RestoreOriginals(const GameFolder& game, Prompts& prompts, const Settled& settled) {
    const auto settle = [&] {
        if (settled)
            settled();
    };
    auto refuse = [&](const std::string& message) {
        settle();
        if (!message.empty())
            prompts.Message(message);
        return false;
    };
    if (!game.Exists())
        return refuse("Can't do it - you need to locate the BFV folder!");
    FolderLock gameLock;
    if (!BeginGameChange(game, prompts, gameLock))
        return refuse("");
    SystemError heldBy;
    BackupState state = game.CheckBackups(&heldBy);
    if (state == BackupState::Missing || state == BackupState::Partial)
        return refuse("Can't do it - the backup files have been removed - what did you do!?");
    const auto manifest = state == BackupState::Complete
                              ? BackupManifest::Read(game.ManifestFile(), &heldBy)
                              : std::nullopt;
    if (state == BackupState::Complete && !manifest && HeldByAnother(heldBy))
        state = BackupState::Held; // taken by another program since it was checked
    if (state == BackupState::Held) {
        settle();
        prompts.MessageWithDetails(HeldBackupMessage(heldBy.path), heldBy.Describe());
        return false;
    }
    const std::string untrustedMessage =
        "Can't do it - the backup in " + game.Backups() +
        " does not match its manifest (it is incomplete or damaged), so it was not used and "
        "nothing was changed. If the game's own files are still the originals, press Backup "
        "Originals to back them up again; otherwise reinstall or repair the game.";
    if (!manifest)
        return refuse(untrustedMessage);
    // The game holds its files open while it runs; Windows cannot replace them then.
    if (const std::string why = WhyGameFilesCannotBeReplaced(game.Originals()); !why.empty())
        return refuse(why);
    // A failed music.rfa is reported before the handler settles, unlike the other failures.
    // Another program holding a file past the retry is named, be it a backup or a game file.
    auto failedAt = [&](const std::string& target, const SystemError& cause) {
        std::string message =
            target == game.MusicRfa()
                ? "Couldn't do it - error while trying to move music.rfa from backup to: " +
                      game.MusicRfa()
                : "Couldn't do it - error while trying to move Default.con from backup to: " +
                      game.DefaultCon();
        if (HeldByAnother(cause))
            message = cause.path == game.BackedUpDefaultCon() || cause.path == game.BackedUpMusicRfa()
                          ? HeldBackupMessage(cause.path)
                          : FileInUseMessage(target.empty() ? cause.path : target);
        if (target != game.MusicRfa())
            settle();
        prompts.MessageWithDetails(message, cause.Describe());
        if (target == game.MusicRfa())
            settle();
        return false;
    };
    StagedInstall install(game);
    bool untrusted = false;
    const std::string stagingFailed = StageOriginals(game, *manifest, install, untrusted);
    if (untrusted)
        return refuse(untrustedMessage);
    if (!stagingFailed.empty())
        return failedAt(stagingFailed, install.Failure());
    const auto outcome = install.Commit();
    if (outcome != InstallJournal::Outcome::Installed) {
        failedAt(install.FailedTarget(), install.Failure());
        if (outcome == InstallJournal::Outcome::Stuck)
            RecoverInterruptedInstall(game, prompts);
        return false;
    }
    if (!GameFilesMatch(game, *manifest))
        return refuse("Couldn't do it - the restored files do not match the backup. The backup "
                      "was kept in " +
                      game.Backups() + "; press Restore Originals again.");
    RemoveBackups(game);
    prompts.Inform("Your original files have been restored.");
    settle();
    return true;
}
