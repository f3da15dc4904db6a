#pragma once
#include "common/Prompts.h"
#include "patcher/gamefolder/GameFolder.h"

class FolderLock;

// What runs before anything touches a game folder: only one Palisor at a time, and an install
// or restore that a crash interrupted is finished or rolled back first. Messages go through
// Prompts; nothing is created in the game folder.

// FolderOfOursNotReal is "": true. Otherwise false with a message naming that folder.
bool CheckFoldersOfOurs(const GameFolder& game, Prompts& prompts);

// After CheckFoldersOfOurs, finishes or rolls back an interrupted install or restore and says
// which it did; removes the temporary files a crash left beside the game's files and the
// backups. True when the game folder is whole (also when there was nothing to do); false with
// a message otherwise. With a journal there and a game file held open by another program, it
// changes nothing and shows FileInUseMessage.
bool RecoverInterruptedInstall(const GameFolder& game, Prompts& prompts);

// Refuses a folder this system would take for another (GameFolder::WhyRewritten), then locks
// the game folder for one command (lock held until the FolderLock goes), then
// RecoverInterruptedInstall. False with a message when the folder is refused, another Palisor
// holds it or either check fails.
bool BeginGameChange(const GameFolder& game, Prompts& prompts, FolderLock& lock);
