#pragma once
#include "platform/FileResult.h"

#include <string>

// Deletes a folder and everything below it, permanently and silently. Links are removed, never
// followed. Paths longer than Windows' usual 260 characters are deleted too (the platform hands
// them to the system in their \\?\ form), so no tree a pack leaves can block a work folder.
// Succeeds when nothing of the folder is left (nothing there is success); otherwise it deletes
// what it can and the result names the first call that failed.
FileResult DeleteFolderTree(const std::string& folder);
