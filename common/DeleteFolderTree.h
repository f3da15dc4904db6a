#pragma once
#include <string>

// Deletes a folder and everything below it, permanently and silently. Symbolic links are
// removed, never followed. Returns true when nothing of the folder is left.
bool DeleteFolderTree(const std::string& folder);
