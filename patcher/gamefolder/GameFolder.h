#pragma once
#include "platform/SystemError.h"

#include <string>
#include <vector>

enum class BackupState {
    Missing,   // neither backed-up file is there
    Partial,   // one of the two backed-up files is missing
    Untrusted, // both are there, but without a manifest or not matching it
    Held,      // both are there, but another program holds one so that it cannot be read now
    Complete   // both match the manifest
};

// One game folder: where the game's files and Palisor's own lie in it, and what is true of it
// on disk now. Forming a path touches nothing; every check reads the disk again and never
// fails (what cannot be read counts as absent). An empty path names no folder: it never
// exists, is never the game's and has no backups, so no path is formed from the root.
class GameFolder {
public:
    // The game's two files as the game spells them, relative to its folder.
    static constexpr const char* kDefaultConInFolder = "Mods/BfVietnam/settings/Default.con";
    static constexpr const char* kMusicRfaInFolder = "Mods/BfVietnam/Archives/music.rfa";

    // A path converts to its game folder, as a string converts to a std::filesystem::path.
    GameFolder(std::string path = {});
    GameFolder(const char* path) : GameFolder(std::string(path)) {}

    const std::string& Path() const { return path_; }
    bool Chosen() const { return !path_.empty(); }

    // The game's own files. The game reaches them without regard to case, so on a
    // case-sensitive file system an existing spelling that differs only in case is used when
    // the exact one is missing.
    std::string DefaultCon() const;
    std::string MusicRfa() const;
    // Both, as a backup reads them and a restore replaces them.
    std::vector<std::string> Originals() const;

    // Palisor's folders and files: custom_music, its backups folder with the two copies and
    // their manifest, the journal of a change in progress, the installed scripts and the record
    // of the pack installed.
    std::string CustomMusic() const;
    std::string Backups() const;
    std::string BackedUpDefaultCon() const;
    std::string BackedUpMusicRfa() const;
    std::string ManifestFile() const;
    std::string JournalFile() const;
    std::string InstalledPlaylists() const;
    std::string InstalledUsSsc() const;
    std::string PackRecordFile() const;

    // The four files an install replaces, in the order they are replaced: the installed US.ssc
    // and playlists.con, the game's Default.con and music.rfa.
    std::vector<std::string> InstallTargets() const;

    // Something exists at the path.
    bool Exists() const;
    // Why this system would open another folder than the path says (Windows: a trailing dot or
    // space, a device name, a \\?\ form; see WhyThisSystemWouldRewrite), or "". Such a folder is
    // never the game's, and nothing in it is touched.
    std::string WhyRewritten() const;
    // "" for the game's folder; "Windows would take this path for another folder: <why>." for
    // one WhyRewritten; "This folder does not exist." for a path that names no folder;
    // otherwise the first missing file, "Not a Battlefield Vietnam folder:
    // Mods/BfVietnam/settings/Default.con is missing" (or .../Archives/music.rfa), written with
    // the system's separator.
    std::string Problem() const;
    bool IsGame() const { return Problem().empty(); }

    // The first of custom_music and custom_music/backups that is a link, or "" when neither
    // is. The game's own settings and Archives folders may be links; ours may not, so that
    // nothing Palisor writes or trusts ever lies outside the game folder.
    std::string FolderOfOursNotReal() const;

    // How the backups stand; Complete only when both copies match the manifest byte for byte.
    // For Held, heldBy (when given) tells which copy and why (the system's error).
    BackupState CheckBackups(SystemError* heldBy = nullptr) const;
    bool BackupsComplete() const { return CheckBackups() == BackupState::Complete; }

    // A journal is there: a change to the game files was interrupted and waits to be finished
    // or undone.
    bool ChangeInterrupted() const;

private:
    std::string path_;
};
