#pragma once
#include <string>

// Extracts every entry of the flat archive at archivePath (stored or compressed, with or
// without the leading magic) to targetFolder + "/" + entry name, creating folders on the
// way. The working directory is left alone. Returns false on the first failure: the reason
// goes to standard error (the reader's "unpack:..." reports, or a refusal of a hostile
// name, size or offset); entries extracted before it stay on disk. Nothing is ever written
// outside targetFolder. A trace line per entry goes to standard output.
bool UnpackArchive(const std::string& archivePath, const std::string& targetFolder);

// Creates below targetFolder each folder named by the components of entryName except the
// last; existing folders are entered, not recreated. Returns false for a name that
// EntryNameRefusal rejects, or when a folder cannot be created (writing
// "failed to create directory!\n" to standard output) or a component exists but is not a
// real folder.
bool CreateEntryFolders(const std::string& targetFolder, const std::string& entryName);
