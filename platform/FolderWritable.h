#pragma once
#include "platform/SystemError.h"

#include <string>

// Whether this process may create files in a folder, found out by trying: a uniquely named
// temporary file is created there and is gone again when the probe returns (Windows:
// FILE_FLAG_DELETE_ON_CLOSE; Linux: an unnamed O_TMPFILE file where the file system has it).
// Rights are never guessed from access lists, which virtualisation, inheritance and group
// membership make unreliable.
enum class FolderAccess {
    Writable,
    Denied, // access denied: administrator rights could help
    Failed, // another error (a missing folder, a read-only disk, ...)
};
// error, when given, tells why the folder is not Writable.
FolderAccess ProbeFolderWritable(const std::string& folder, SystemError* error = nullptr);
