#pragma once
#include <string>

// Where the patcher's files live. Game folder paths are formed from the game folder, work
// paths from the work folder. Forming a path never fails and touches nothing.

std::string CustomMusicFolder(const std::string& gameFolder);
std::string BackupsFolder(const std::string& gameFolder);
std::string BackedUpDefaultCon(const std::string& gameFolder);
std::string BackedUpMusicRfa(const std::string& gameFolder);
std::string BackupManifestFile(const std::string& gameFolder);
// The journal of an install or restore in progress (custom_music/palisor.journal).
std::string InstallJournalFile(const std::string& gameFolder);
std::string InstalledPlaylists(const std::string& gameFolder);
std::string InstalledUsSsc(const std::string& gameFolder);

// The game's own files. The game reaches them without regard to case, so on a case-sensitive
// file system an existing spelling that differs only in case is used when the exact one is
// missing.
std::string GameDefaultCon(const std::string& gameFolder);
std::string GameMusicRfa(const std::string& gameFolder);
// The same two files relative to the game folder, as the game spells them.
inline constexpr const char* kGameDefaultConInFolder = "Mods/BfVietnam/settings/Default.con";
inline constexpr const char* kGameMusicRfaInFolder = "Mods/BfVietnam/Archives/music.rfa";

// The work folder "work" inside the folder that holds it (beside the program).
std::string WorkFolderIn(const std::string& baseFolder);
// The file locked while a Palisor uses the work folder (beside it, as it is emptied and made
// again).
std::string WorkLockFile(const std::string& baseFolder);
std::string PackFolder(const std::string& workFolder);
std::string UsFolder(const std::string& workFolder);
