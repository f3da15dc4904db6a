#pragma once
#include <cstdint>
#include <string>

// Builds AIFF and AIFF-C files in memory from the documented big-endian layout: "FORM",
// size, "AIFF"/"AIFC", a "COMM" chunk and an "SSND" chunk (offset, block size, samples).

void PutBE16(std::string& out, std::uint16_t value);
void PutBE32(std::string& out, std::uint32_t value);

// The 10-byte big-endian extended form of a positive whole number (a sample rate).
std::string Extended80(std::uint32_t value);

// A chunk: identifier, big-endian length, body and a pad byte when the body is odd.
std::string AiffChunk(const std::string& id, const std::string& body);

// A COMM body: channels, frames, bits, rate; AIFF-C adds the compression type and an empty
// name.
std::string CommBody(int channels, std::uint32_t frames, int bits, std::uint32_t rate,
                     const std::string& compression = "");

// An SSND body: data offset, block size, then the offset's filler bytes and the samples.
std::string SsndBody(const std::string& samples, std::uint32_t offset = 0,
                     std::uint32_t blockSize = 0);

// "FORM", size, "AIFF" or "AIFC", then the given chunks.
std::string AiffForm(const std::string& chunks, bool aifc = false);

// A plain AIFF with 16-bit big-endian samples.
std::string MakeAiff16(int channels, std::uint32_t rate, const std::string& samples);
