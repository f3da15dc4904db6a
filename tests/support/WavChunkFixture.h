#pragma once
#include <cstdint>
#include <string>

// Builds RIFF WAVE files chunk by chunk, for headers in unusual order or shape.

// A chunk: identifier, little-endian length, body; no pad byte.
std::string WavChunk(const std::string& id, const std::string& body);

// A chunk whose length field says `length`, whatever the body holds.
std::string WavChunkClaiming(const std::string& id, std::uint32_t length, const std::string& body);

// A format chunk body: tag, channels, rate, byte rate, block align, bits, then `extra` zero
// bytes (a length of 16 + extra).
std::string FmtBody(int tag, int channels, std::uint32_t rate, int blockAlign, int bits,
                    int extra = 0);

// "RIFF", size, "WAVE", then the given chunks.
std::string RiffWave(const std::string& chunks);
