#pragma once
#include <cstdint>
#include <string>

// One file of a flat archive as its directory record describes it.
struct ArchiveEntry {
    std::string name;               // relative path with "/" separators, no leading "/"
    std::uint32_t storedSize = 0;   // bytes in the data area
    std::uint32_t unpackedSize = 0; // bytes once extracted
    std::uint32_t dataOffset = 0;   // absolute position of the data
};
