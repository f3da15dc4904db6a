#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// Small stdio helpers shared by the archive writer and reader. None of them prints anything.

// Reads a 32-bit little-endian value; false on a short read or read error.
bool ReadUint32LE(std::FILE* file, std::uint32_t& value);

// Appends a 32-bit little-endian value to a byte string.
void AppendUint32LE(std::string& bytes, std::uint32_t value);

// Decodes the 32-bit little-endian value at bytes[0..3].
std::uint32_t Uint32LEAt(const std::uint8_t* bytes);

// Opening and measuring files is the platform's (platform/StdFile.h).
