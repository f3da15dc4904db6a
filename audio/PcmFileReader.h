#pragma once
#include <cstdint>
#include <cstdio>

// State of one opened PCM source: where the samples are and how they are laid out. Created
// by a reader's open operation, released by its close operation. Never fails by itself.
struct PcmFileReader {
    std::int16_t channels = 0;      // interleaved channels per frame (1 or more)
    std::int16_t bitsPerSample = 0; // 8 or 16 for integer PCM, 32 for float
    std::int32_t totalFrames = 0;   // frames in the sound data; 0 means unknown (no limit)
    std::int32_t framesRead = 0;    // frames handed out so far
    std::FILE* stream = nullptr;    // borrowed: the caller keeps ownership and closes it
    std::uint16_t bigEndian = 0;    // 0 for WAV, 1 for AIFF
};
