#pragma once
#include <string>

// Where Palisor works: the work folder beside the program (or in the user's data folder) and
// the folders a patch job makes in it. Forming a path never fails and touches nothing.

// The work folder "work" inside the folder that holds it.
std::string WorkFolderIn(const std::string& baseFolder);
// The file locked while a Palisor uses the work folder (beside it, as it is emptied and made
// again).
std::string WorkLockFile(const std::string& baseFolder);
// The pack's own folder (velk) once it is unpacked, and the folder of decoded songs (US).
std::string PackFolder(const std::string& workFolder);
std::string UsFolder(const std::string& workFolder);
