#pragma once
#include "platform/FileResult.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a complete backup holds: the size and SHA-256 of each backed-up original, written
// beside the copies once both are in place. A text file of LF-ended lines:
//   Palisor backup manifest 1
//   Default.con <size> <64 hex digits>
//   music.rfa <size> <64 hex digits>
class BackupManifest {
public:
    struct Item {
        std::string name; // file name inside the backups folder
        std::uint64_t size = 0;
        std::string sha256;
        bool operator==(const Item&) const = default;
    };

    std::vector<Item> items;

    std::string Bytes() const;
    // Parses a manifest's bytes; nothing unless they are exactly the layout above, with the
    // two names in that order.
    static std::optional<BackupManifest> Parse(const std::string& bytes);
    // Reads and parses a manifest file (a regular file, not a link, at most 4 KiB). When it
    // cannot be opened or read, error (when given) tells why.
    static std::optional<BackupManifest> Read(const std::string& path,
                                              SystemError* error = nullptr);
    // Writes it through a flushed SafeFile; the result tells why it failed.
    FileResult Write(const std::string& path) const;
    enum class Check {
        Matches, // every item's file in the folder is a regular file (not a link) of that size
                 // and hash
        Differs, // one is missing, a link, of another size or hash, or cannot be read
        Held     // one is as large as recorded but another program holds it so that it cannot
                 // be read now (the error tells which and why)
    };
    Check CheckFolder(const std::string& folder, SystemError* error = nullptr) const;
    bool Matches(const std::string& folder) const { return CheckFolder(folder) == Check::Matches; }
    // The item of that name, or nothing.
    const Item* Find(const std::string& name) const;
};
