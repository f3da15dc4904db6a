#pragma once
#include <cstdio>
#include <string>

// Extracts every entry of the flat archive at archivePath (stored or compressed, with or
// without the leading magic) to targetFolder + "/" + entry name, creating folders on the
// way. The working directory is left alone. Returns false on the first failure: the reason
// goes to standard error (the reader's "unpack:..." reports, or a refusal that names the
// hostile entry: a bad name, data or blocks reaching past the end of the archive, blocks
// that overlap or repeat, more than 256 times its compressed bytes, over 2 GiB). A failed
// extraction removes every file and folder it had created. Nothing is ever written outside
// targetFolder. The trace lines of each entry go to `trace` (names escaped for a terminal),
// or nowhere when it is null.
bool UnpackArchive(const std::string& archivePath, const std::string& targetFolder,
                   std::FILE* trace = stdout);

// Creates below targetFolder each folder named by the components of entryName except the
// last; existing folders are entered, not recreated. Returns false for a name that
// EntryNameRefusal rejects, or when a folder cannot be created (writing
// "failed to create directory!\n" to standard output) or a component exists but is not a
// real folder.
bool CreateEntryFolders(const std::string& targetFolder, const std::string& entryName);
