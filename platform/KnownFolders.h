#pragma once
#include <string>
#include <vector>

// Folders the system knows, as UTF-8 paths without a trailing separator.

// Folder of the running executable (Linux: /proc/self/exe; Windows: GetModuleFileNameW);
// "." when it cannot be found.
std::string ExecutableFolder();

// The user's own data folder: $XDG_DATA_HOME, else ~/.local/share (else /tmp/.local/share);
// Windows: %LOCALAPPDATA% (SHGetKnownFolderPath, FOLDERID_LocalAppData).
std::string UserDataFolder();

// The folders programs are installed under: on Windows "Program Files (x86)" and "Program
// Files" (FOLDERID_ProgramFilesX86, FOLDERID_ProgramFilesX64), each once; none on Linux.
std::vector<std::string> ProgramFilesFolders();

// Where the user keeps music and documents, for the first file dialogs: an existing folder, or
// the home folder when the system names none that exists. Windows: FOLDERID_Music and
// FOLDERID_Documents, else FOLDERID_Profile. Linux: XDG_MUSIC_DIR and XDG_DOCUMENTS_DIR from
// the XDG user-dirs file ($XDG_CONFIG_HOME/user-dirs.dirs, default ~/.config), else ~/Music and
// ~/Documents, else $HOME. Never fails: "" only when not even a home folder is known.
std::string MusicFolder();
std::string DocumentsFolder();
