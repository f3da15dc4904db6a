#pragma once
#include "common/Prompts.h"

#include <string>
#include <vector>

class FolderLock;

// What runs before anything touches a game folder: only one Palisor at a time, and an install
// or restore that a crash interrupted is finished or rolled back first. Messages go through
// Prompts; nothing is created in the game folder.

// The four files an install replaces, in the order they are replaced: the installed US.ssc
// and playlists.con, the game's Default.con and music.rfa.
std::vector<std::string> InstallTargets(const std::string& gameFolder);

// The first of custom_music and custom_music/backups that is a link (to a folder elsewhere, or
// anywhere), or "" when neither is. The
// game's own settings and Archives folders may be links; ours may not, so that nothing Palisor
// writes or trusts ever lies outside the game folder.
std::string FolderOfOursNotReal(const std::string& gameFolder);

// FolderOfOursNotReal is "": true. Otherwise false with a message naming that folder.
bool CheckFoldersOfOurs(const std::string& gameFolder, Prompts& prompts);

// After CheckFoldersOfOurs, finishes or rolls back an interrupted install or restore and says
// which it did; removes the temporary files a crash left beside the game's files and the
// backups. True when the game folder is whole (also when there was nothing to do); false with
// a message otherwise. With a journal there and a game file held open by another program, it
// changes nothing and shows FileInUseMessage.
bool RecoverInterruptedInstall(const std::string& gameFolder, Prompts& prompts);

// Locks the game folder for one command (lock held until the FolderLock goes), then
// RecoverInterruptedInstall. False with a message when another Palisor
// holds the folder or either check fails.
bool BeginGameChange(const std::string& gameFolder, Prompts& prompts, FolderLock& lock);
