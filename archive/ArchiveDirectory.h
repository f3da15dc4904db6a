#pragma once
#include "archive/ArchiveEntry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class InputFile;

// The directory of a flat archive, read without extracting anything, for readers that take an
// entry's bytes straight from the archive.
struct ArchiveDirectory {
    std::vector<ArchiveEntry> entries; // in directory order
    bool stored = true;                // the first entry's two sizes are equal: all are stored

    // Reads the directory of the open archive (with or without the leading magic). Nothing,
    // with why set ("its directory is cut short"), when the directory offset or a record lies
    // beyond the end of the file, a name is longer than 511 bytes or the count promises more
    // records than the bytes after the offset can hold, or a read fails. Entries' data ranges
    // are not checked here. Reads at most the directory's bytes; never prints.
    static std::optional<ArchiveDirectory> Read(InputFile& archive, std::string& why);

    // The first entry of that exact name, or null.
    const ArchiveEntry* Find(std::string_view name) const;
};
