#pragma once
#include "common/Prompts.h"
#include "patcher/BackupControls.h"

#include <string>

// Backup and restore of the two game files a patch replaces (Default.con and music.rfa),
// kept in custom_music/backups below the game folder. The state is never stored: it is the
// presence of those files, tested each time. Failures are shown through Prompts and
// reported by the result; nothing is rolled back.

// Something exists at the game folder path (an empty path names nothing).
bool GameFolderExists(const std::string& gameFolder);

// The backups folder, the backed-up music.rfa and the backed-up Default.con all exist.
// Always false for an empty game folder, so no path is ever formed from the root folder.
bool BackupsComplete(const std::string& gameFolder);

// Makes sure custom_music and custom_music/backups exist. False (message shown) when a
// folder cannot be created.
bool CreateBackupFolders(const std::string& gameFolder, Prompts& prompts);

// The "Backup Originals" handler. Copies never replace an existing backed-up file. True only
// when the success message was shown.
bool BackupOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls);

// The "Restore Originals" handler: copies both backed-up files over the game's, then deletes
// the backed-up copies. True only when the success message was shown.
bool RestoreOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls);
