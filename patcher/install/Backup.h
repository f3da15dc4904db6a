#pragma once
#include "common/Prompts.h"
#include "patcher/gamefolder/BackupState.h"
#include "patcher/install/BackupControls.h"

#include <string>

// Backup and restore of the two game files a patch replaces (Default.con and music.rfa),
// kept in custom_music/backups below the game folder with a manifest of their sizes and
// SHA-256 digests (BackupState checks them).
// Both handlers first lock the game folder and finish or roll back an interrupted install.
// Failures are shown through Prompts and reported by the result.

// Makes sure custom_music and custom_music/backups exist. False (message shown) when a
// folder cannot be created.
bool CreateBackupFolders(const std::string& gameFolder, Prompts& prompts);

// The "Backup Originals" handler. Creates nothing in a folder that lacks the game's two
// files. A backup that is not complete is made again from the game's files, as long as
// Default.con is still the original (without the playlist's run line). Each copy and the
// manifest are written through flushed temporary files. True only when the success message
// was shown.
bool BackupOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls);

// The "Restore Originals" handler: checks the backup against its manifest, puts both files
// back together (or neither), checks what landed, then deletes the backed-up copies. A backup
// that does not check out is refused and left alone. While another program holds a game file
// open (the game running, on Windows) it changes nothing and shows FileInUseMessage. True only when the success message was
// shown.
bool RestoreOriginals(const std::string& gameFolder, Prompts& prompts, BackupControls& controls);
