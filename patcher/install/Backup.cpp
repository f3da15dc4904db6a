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
bool RemoveManifest(const GameFolder& game) {
    const std::string manifest = game.ManifestFile();
    if (IsRegularFile(manifest) && !RemoveFile(manifest))
        return false;
    return static_cast<bool>(FlushFolder(game.Backups()));
}

} // namespace

bool CreateBackupFolders(const GameFolder& game, Prompts& prompts) {
    const std::string customMusic = game.CustomMusic();
    const std::string backups = game.Backups();
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
    auto copyFailed = [&](const std::string& path) {
        return failAfter("Couldn't do it - error while trying to copy : " + path);
    };
    if (!game.Exists())
        return refuse("Can't do it - you need to locate the BFV folder!");
    FolderLock gameLock;
    if (!BeginGameChange(game, prompts, gameLock))
        return refuse("");
    if (game.BackupsComplete())
        return refuse("Can't do it - everything is already backed up..(how did this get called?)");
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
    if (!RemoveManifest(game))
        return copyFailed(gameDefaultCon);
    BackupManifest manifest;
    manifest.items = {{"Default.con", 0, ""}, {"music.rfa", 0, ""}};
    if (!BackUpFile(gameDefaultCon, game.BackedUpDefaultCon(), manifest.items[0]))
        return copyFailed(gameDefaultCon);
    if (!BackUpFile(gameMusicRfa, game.BackedUpMusicRfa(), manifest.items[1]) ||
        !manifest.Write(game.ManifestFile()) || !game.BackupsComplete())
        return copyFailed(gameMusicRfa);
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
    const BackupState state = game.CheckBackups();
    if (state == BackupState::Missing || state == BackupState::Partial)
        return refuse("Can't do it - the backup files have been removed - what did you do!?");
    const std::string untrustedMessage =
        "Can't do it - the backup in " + game.Backups() +
        " does not match its manifest (it is incomplete or damaged), so it was not used and "
        "nothing was changed. If the game's own files are still the originals, press Backup "
        "Originals to back them up again; otherwise reinstall or repair the game.";
    const auto manifest = BackupManifest::Read(game.ManifestFile());
    if (state == BackupState::Untrusted || !manifest)
        return refuse(untrustedMessage);
    // The game holds its files open while it runs; Windows cannot replace them then.
    if (const std::string why = WhyGameFilesCannotBeReplaced(game.Originals()); !why.empty())
        return refuse(why);
    // A failed music.rfa is reported before the handler settles, unlike the other failures.
    auto failedAt = [&](const std::string& target) {
        if (target != game.MusicRfa())
            return refuse("Couldn't do it - error while trying to move Default.con from backup "
                          "to: " +
                          game.DefaultCon());
        prompts.Message("Couldn't do it - error while trying to move music.rfa from backup to: " +
                        game.MusicRfa());
        settle();
        return false;
    };
    StagedInstall install(game);
    bool untrusted = false;
    const std::string stagingFailed = StageOriginals(game, *manifest, install, untrusted);
    if (untrusted)
        return refuse(untrustedMessage);
    if (!stagingFailed.empty())
        return failedAt(stagingFailed);
    const auto outcome = install.Commit();
    if (outcome != InstallJournal::Outcome::Installed) {
        failedAt(install.FailedTarget());
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
