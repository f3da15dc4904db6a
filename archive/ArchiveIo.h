#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// Small stdio helpers shared by the archive writer and reader. None of them prints anything.

// Reads a 32-bit little-endian value; false on a short read or read error.
bool ReadUint32LE(std::FILE* file, std::uint32_t& value);

// Other little-endian numbers: common/LittleEndian.h.

// Opening and measuring files is the platform's (platform/StdFile.h).
