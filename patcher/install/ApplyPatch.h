#pragma once
#include "common/Progress.h"
#include "common/Prompts.h"

#include <cstdio>
#include <string>

// The "Apply The Music Patch" handler: locks the game folder and finishes or rolls back an
// interrupted install first, refuses without complete (verified) backups, then runs the
// patch job behind the progress display (range 0 to 19), builds the patched Default.con and
// installs the four files into the game folder all together or not at all. The work folder is
// "work" inside baseFolder; it is emptied when the pack is refused (it cannot be extracted or
// fails its validation) and when the run was cancelled. Every failure is shown through
// Prompts; the result is true only when "Patching Is Done!" was shown. The progress display is
// closed however the run ends, also when a FileError from the file layer passes through. The
// archive reader's trace lines go to trace, or nowhere. jobs: songs decoded at once (0: one per
// core).
bool ApplyPatch(const std::string& gameFolder, const std::string& packPath,
                const std::string& baseFolder, Prompts& prompts, Progress& progress,
                std::FILE* trace = nullptr, int jobs = 0);
