#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

// Encodes a 16-bit sine tone with the encoder driver and appends the stream to `output`.
// Appending twice to one file makes a chained Ogg file. Returns encodeStream's result.
int AppendOggTone(std::FILE* output, int channels, int rate, int frames, std::int32_t serial,
                  float quality = 0.4f);

// The same into a new file at path; true on success.
bool WriteOggTone(const std::string& path, int channels, int rate, int frames,
                  std::int32_t serial = 1);

// What libvorbisfile reports about an encoded file; opened is false when it refuses it.
struct OggFacts {
    bool opened = false;
    long long frames = -1; // all links
    int channels = 0;
    long rate = 0;
    int comments = -1;        // user comments
    std::uint32_t serial = 0; // from the first page header
};
OggFacts InspectOgg(const std::string& path);
