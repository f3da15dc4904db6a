#include "patcher/gamefolder/GameFolder.h"

#include "common/PackLayout.h"
#include "patcher/gamefolder/BackupManifest.h"
#include "platform/FileOps.h"
#include "platform/PathNoCase.h"
#include "platform/PathRewrite.h"

namespace {

bool IsRegularFile(const std::string& path) {
    return InspectPath(path).kind == PathKind::RegularFile;
}

} // namespace

GameFolder::GameFolder(std::string path) : path_(std::move(path)) {}

std::string GameFolder::DefaultCon() const {
    return ResolvePathNoCase(path_, kDefaultConInFolder);
}

std::string GameFolder::MusicRfa() const {
    return ResolvePathNoCase(path_, kMusicRfaInFolder);
}

std::vector<std::string> GameFolder::Originals() const {
    return {DefaultCon(), MusicRfa()};
}

std::string GameFolder::CustomMusic() const {
    return JoinPath(path_, "custom_music");
}

std::string GameFolder::Backups() const {
    return JoinPath(CustomMusic(), "backups");
}

std::string GameFolder::BackedUpDefaultCon() const {
    return JoinPath(Backups(), "Default.con");
}

std::string GameFolder::BackedUpMusicRfa() const {
    return JoinPath(Backups(), "music.rfa");
}

std::string GameFolder::ManifestFile() const {
    return JoinPath(Backups(), "manifest.txt");
}

std::string GameFolder::JournalFile() const {
    return JoinPath(CustomMusic(), "palisor.journal");
}

std::string GameFolder::InstalledPlaylists() const {
    return JoinPath(CustomMusic(), std::string(PackLayout::kPlaylistScript));
}

std::string GameFolder::InstalledUsSsc() const {
    return JoinPath(CustomMusic(), std::string(PackLayout::kSoundScript));
}

std::string GameFolder::PackRecordFile() const {
    return JoinPath(CustomMusic(), "palisor.installed");
}

std::vector<std::string> GameFolder::InstallTargets() const {
    return {InstalledUsSsc(), InstalledPlaylists(), DefaultCon(), MusicRfa()};
}

bool GameFolder::Exists() const {
    return Chosen() && (FileExists(path_) || FolderExists(path_));
}

std::string GameFolder::WhyRewritten() const {
    return Chosen() ? WhyThisSystemWouldRewrite(path_) : std::string();
}

std::string GameFolder::Problem() const {
    if (const std::string why = WhyRewritten(); !why.empty())
        return "Windows would take this path for another folder: " + why + ".";
    if (Chosen() && !FolderExists(path_))
        return "This folder does not exist.";
    for (const char* file : {kDefaultConInFolder, kMusicRfaInFolder})
        if (!Chosen() || !FileExists(ResolvePathNoCase(path_, file)))
            return "Not a Battlefield Vietnam folder: " + WithSystemSeparators(file) +
                   " is missing";
    return {};
}

std::string GameFolder::FolderOfOursNotReal() const {
    if (!Chosen())
        return {};
    for (const auto& folder : {CustomMusic(), Backups()})
        if (InspectPath(folder).kind == PathKind::Link)
            return folder;
    return {};
}

BackupState GameFolder::CheckBackups(SystemError* heldBy) const {
    if (!Chosen() || !FolderOfOursNotReal().empty() || !FolderExists(Backups()))
        return BackupState::Missing;
    const bool haveDefaultCon = IsRegularFile(BackedUpDefaultCon());
    const bool haveMusicRfa = IsRegularFile(BackedUpMusicRfa());
    if (!haveDefaultCon && !haveMusicRfa)
        return BackupState::Missing;
    if (!haveDefaultCon || !haveMusicRfa)
        return BackupState::Partial;
    SystemError unread;
    const auto manifest = BackupManifest::Read(ManifestFile(), &unread);
    if (!manifest && unread.Kind() == FileFailure::Busy) {
        if (heldBy)
            *heldBy = unread;
        return BackupState::Held;
    }
    if (!manifest)
        return BackupState::Untrusted;
    switch (manifest->CheckFolder(Backups(), heldBy)) {
    case BackupManifest::Check::Matches:
        return BackupState::Complete;
    case BackupManifest::Check::Held:
        return BackupState::Held;
    case BackupManifest::Check::Differs:
        break;
    }
    return BackupState::Untrusted;
}

bool GameFolder::ChangeInterrupted() const {
    return Chosen() && InspectPath(JournalFile()).kind != PathKind::Missing;
}
