#pragma once
#include <string>
#include <vector>

// The copies of game files Windows keeps in VirtualStore. The game is a 32-bit program without
// a manifest, so Windows redirected the writes an older tool made without rights under
// Program Files to %LOCALAPPDATA%\VirtualStore\<the same path without its drive>, and the
// game reads those copies instead of the files in its own folder. Palisor is never
// redirected: it finds the copies and moves them aside into the backups, keeping them.
class VirtualStoreCopies {
public:
    struct Copy {
        std::string relative; // within the game folder, e.g. "Mods/BfVietnam/Archives/music.rfa"
        std::string path;     // the copy in VirtualStore
    };

    // The folders are given (KnownFolders on a real system), so tests can fake them.
    VirtualStoreCopies(std::string gameFolder, const std::vector<std::string>& programFilesFolders,
                       const std::string& localAppData);

    // VirtualStore's mirror of the game folder, or "" when the game folder is not under one of
    // the Program Files folders (then Windows never redirects the game's writes).
    const std::string& Mirror() const { return mirror_; }

    // The copies there now, of Default.con, music.rfa and the custom_music folder, in that
    // order.
    std::vector<Copy> Existing() const;

    struct MoveOutcome {
        bool moved = false;
        std::string backupFolder; // where the copies went
        std::string failedCopy;   // the copy that could not be moved (errno tells why)
    };
    // Moves every copy into custom_music/backups/"VirtualStore <stamp>"/<its relative path>
    // in the game folder, then removes the mirror's folders the moves emptied. Stops at the
    // first copy that cannot be moved: what moved before stays in the backups, nothing is
    // deleted.
    MoveOutcome MoveAside(const std::string& stamp) const;

private:
    std::string gameFolder_;
    std::string mirror_;
};

// Whether path lies inside folder (not the folder itself), comparing as Windows does: without
// regard to ASCII case, "\\" and "/" alike, trailing separators ignored.
bool InsideFolderNoCase(const std::string& path, const std::string& folder);
