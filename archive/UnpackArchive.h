#pragma once
#include "archive/UnpackResult.h"
#include "common/CancelCheck.h"

#include <cstdio>
#include <string>

// Extracts every entry of the flat archive at archivePath (stored or compressed, with or
// without the leading magic) to targetFolder + "/" + entry name, creating folders on the
// way. The working directory is left alone. The whole directory is read first and every name
// checked before anything is opened or written: a name EntryNameRefusal rejects, a path too
// long for Windows (EntryPathRefusal), or two names Windows would write to one file refuse
// the archive by name. It fails on the first failure: the reason goes to standard error (the
// reader's "unpack:..." reports, with the failing call and the system's error where there is
// one, or a refusal that names the hostile entry: a bad name, data or blocks reaching past the
// end of the archive, blocks that overlap or repeat, more than 256 times its compressed bytes,
// over 2 GiB), and the result keeps that line. A failed extraction removes every file and
// folder it had created. Nothing is ever written outside targetFolder. The trace lines of
// each entry go to `trace` (names escaped for a terminal), or nowhere when it is null; the
// reader's other lines ("-8: ...", "failed to create directory!") go with the trace, or to
// standard error without one. cancelled is asked before each entry and between blocks or
// 1 MiB chunks: when it answers true the extraction stops, reports "unpack: cancelled",
// removes what it created and fails.
UnpackResult UnpackArchive(const std::string& archivePath, const std::string& targetFolder,
                           std::FILE* trace = stdout, const CancelCheck& cancelled = {});

// Creates below targetFolder each folder named by the components of entryName except the
// last; existing folders are entered, not recreated. Returns false for a name that
// EntryNameRefusal rejects, or when a folder cannot be created (writing
// "failed to create directory!\n" to standard output) or a component exists but is not a
// real folder.
bool CreateEntryFolders(const std::string& targetFolder, const std::string& entryName);
