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
