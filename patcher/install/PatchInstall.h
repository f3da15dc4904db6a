#pragma once
#include "common/Prompts.h"
#include "patcher/gamefolder/GameFolder.h"

#include <string>

// The patch steps that touch the game folder, and the preparation of the work folder. Each
// returns false after showing its message through Prompts. A write error after a file was
// opened is thrown as FileError (from the file layer) and not caught here.

// Empties the work folder "work" inside baseFolder (deleting and re-creating it). Message
// "Error while trying to create folder: <path>" when it cannot be created.
bool PrepareWorkFolder(const std::string& baseFolder, Prompts& prompts);

// Writes the work Default.con: the backed-up Default.con plus the CR LF-framed line that runs
// the installed playlist script. Never builds on the game's current Default.con, so patching
// again never stacks a second line.
bool BuildPatchedDefaultCon(const GameFolder& game, const std::string& workFolder,
                            Prompts& prompts);

// False with a message when no file exists at the path or it is empty.
bool CheckPatchFile(const std::string& path, Prompts& prompts);

// Checks the four work files, copies each in full beside its game path (flushed temporary
// files), then puts all four in place at once under the install journal and deletes the work
// copies. Any failure leaves the game folder as it was, with "Unable to move file - patch
// failed." (a longer text when a link or special file sits at a game path; FileInUseMessage when
// another program held a file past the retry), the system's cause as its details. A game file
// another program holds open (the game is running, on Windows) stops it first, with
// FileInUseMessage.
bool InstallPatchedFiles(const GameFolder& game, const std::string& workFolder, Prompts& prompts);
