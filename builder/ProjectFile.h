#pragma once
#include "platform/FileResult.h"

#include <string>

class SongProject;

// The .velkp project file: version 2, quality, then sixteen records of path, title and
// length, all little-endian, no signature. A project with any trim or fade is written as
// version 3: the same layout followed by a trim block ("TRIM", then per slot start, end,
// fade in and fade out in milliseconds, an end of 0 meaning the song's end).

// Writes the project to the file. False when the file cannot be created or opened (nothing
// written); a write error after the open throws FileError and leaves the file incomplete.
bool SaveProjectFile(const SongProject& project, const std::string& file);

// Writes the project through a SafeFile: an interruption leaves the old file or the new one,
// never a part. Fails (with the cause), the old file untouched, when anything fails or the name
// is a folder, a link or another special file.
FileResult SaveProjectFileAside(const SongProject& project, const std::string& file);

// Resets the project, reads the file and probes every slot. A relative song path is read from
// the file's folder. False when the file cannot be
// opened (the project stays reset). A file that ends early, or a string count larger than
// the bytes left, throws FileError before allocating; what was read before stays. So does a
// trim block cut short: every slot stays untrimmed. A file of version 3 or more without the
// block's tag after the records is read untrimmed, as the original program reads it.
bool LoadProjectFile(SongProject& project, const std::string& file);
