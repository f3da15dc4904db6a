#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Builds canonical RIFF WAVE files in memory from the documented layout: "RIFF", size,
// "WAVE", a 16-byte "fmt " chunk (format tag 1 unless given) and a "data" chunk.
std::string MakeWav(int channels, int sampleRate, int bitsPerSample, const std::string& data,
                    int formatTag = 1);

// 16-bit little-endian samples as bytes.
std::string Pcm16Bytes(const std::vector<std::int16_t>& samples);

// A sine tone of the given length, interleaved over all channels, 16-bit.
std::vector<std::int16_t> ToneSamples(int channels, int sampleRate, int frames, double hertz,
                                      double amplitude = 0.5);

// Little-endian field writers for hand-made fixtures.
void PutLE16(std::string& out, std::uint16_t value);
void PutLE32(std::string& out, std::uint32_t value);
