#pragma once
#include "archive/ArchiveEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Builders of archive bytes from the documented layout, so that tests need no binary blobs.

std::string LE32(std::uint32_t value);

// One entry of a test archive. Its data goes into the data area back to back with the
// others; the directory record takes the overrides where given.
struct FixtureEntry {
    std::string name;
    std::string data;
    std::optional<std::uint32_t> storedSize = std::nullopt;   // default: data size
    std::optional<std::uint32_t> unpackedSize = std::nullopt; // default: the stored size
    std::optional<std::uint32_t> dataOffset = std::nullopt;   // default: where the data was put
    std::optional<std::uint32_t> nameLength = std::nullopt;   // default: name size
};

struct FixtureArchive {
    std::vector<FixtureEntry> entries;
    bool withMagic = false;
    std::optional<std::uint32_t> entryCount;      // default: number of entries
    std::optional<std::uint32_t> directoryOffset; // default: the real one
};

std::string BuildArchive(const FixtureArchive& archive);

// A stored-entry archive of the given name/content pairs.
std::string BuildStoredArchive(const std::vector<std::pair<std::string, std::string>>& files);

// LZO1X compression by liblzo2: level 1 or the slow best-ratio compressor.
enum class LzoLevel { Fast, Best };
std::string LzoCompress(const std::string& data, LzoLevel level);

// The data of a compressed entry: block count, block table, then the blocks of `data`
// cut into pieces of blockSize bytes.
std::string CompressedEntryData(const std::string& data, std::size_t blockSize,
                                LzoLevel level = LzoLevel::Fast);

// Deterministic sample data of a given kind.
enum class SampleKind { Random, Runs, Text, Mixed };
std::string SampleData(SampleKind kind, std::size_t size, std::uint32_t seed = 1);

// The directory of an archive written without the magic: its entries in order. Fails the
// calling test (returns what it could read) when a record is cut short or its 12 reserved
// bytes differ from the written ones.
std::vector<ArchiveEntry> ParseDirectory(const std::string& archive);

// Every file below root, outside the folder `skip`, with its content; for checking that an
// extraction wrote nothing outside its target folder.
std::vector<std::pair<std::string, std::string>> FilesOutside(const std::string& root,
                                                              const std::string& skip);
