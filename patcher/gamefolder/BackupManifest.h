#pragma once
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
    // Reads and parses a manifest file (a regular file, not a link, at most 4 KiB).
    static std::optional<BackupManifest> Read(const std::string& path);
    // Writes it through a flushed SafeFile. False on failure.
    bool Write(const std::string& path) const;
    // Every item's file in the folder is a regular file (not a link) of that size and hash.
    bool Matches(const std::string& folder) const;
    // The item of that name, or nothing.
    const Item* Find(const std::string& name) const;
};
