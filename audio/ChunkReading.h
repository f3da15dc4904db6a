#pragma once
#include "common/LittleEndian.h"

#include <cstdint>
#include <cstdio>

// Low-level helpers shared by the WAV and AIFF readers.

// Moves the stream forward by count bytes: a relative seek, else reading and discarding.
// False when neither gets there (a read that returns nothing). Never moves backwards.
bool skipBytes(std::FILE* stream, std::uint64_t count);

// Skips the body of a RIFF chunk of the given length. Writers disagree on the pad byte after
// an odd length, so a NUL byte there (no chunk identifier starts with one) is skipped too,
// and any other byte is left for the next chunk header. False as skipBytes.
bool skipRiffChunkBody(std::FILE* stream, std::uint64_t length);

// Reads and discards count bytes; false when the stream ends first.
bool discardBytes(std::FILE* stream, std::uint64_t count);

std::uint16_t bigEndian16(const unsigned char* bytes);
std::uint32_t bigEndian32(const unsigned char* bytes);
