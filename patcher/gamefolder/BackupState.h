#pragma once
#include <string>

// Whether a game folder is there and how its backups stand. The state is never stored
// elsewhere: it is the files in custom_music/backups, checked each time. Never fails: what
// cannot be read counts as absent.

// Something exists at the game folder path (an empty path names nothing).
bool GameFolderExists(const std::string& gameFolder);

enum class BackupState {
    Missing,   // neither backed-up file is there
    Partial,   // one of the two backed-up files is missing
    Untrusted, // both are there, but without a manifest or not matching it
    Complete   // both match the manifest
};

// Always Missing for an empty game folder, so no path is ever formed from the root folder.
BackupState CheckBackups(const std::string& gameFolder);

// CheckBackups is Complete: both backed-up files match the manifest, byte for byte.
bool BackupsComplete(const std::string& gameFolder);
