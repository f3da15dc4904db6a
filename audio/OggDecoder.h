#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

struct OggVorbis_File;

// Decodes the first logical stream of an Ogg Vorbis file into a 16-bit little-endian PCM WAV
// file with a 44-byte header. Messages go to standard error; callers act on the results.
class OggDecoder {
public:
    OggDecoder();
    virtual ~OggDecoder();

    // Decodes into the input path with everything from its last "." replaced by ".wav" (or
    // ".wav" appended). True exactly when decodeFile returns 0. Paths of any length.
    bool decodeToWav(const std::string& oggPath);

    // 0 on success, 1 when the input cannot be opened or is not Ogg Vorbis (an empty output
    // file stays), or the output cannot be created or written (a partial file stays). A
    // second chained stream ends the decode early and still succeeds. A stop request ends
    // the decode quietly with 1 and a partial file.
    int decodeFile(const std::string& in, const std::string& out);

    // Writes the provisional header for knownFrames frames (0 = unknown length). 0, or 1
    // after a message when the header could not be written in full.
    int writeWavHeader(OggVorbis_File* file, std::FILE* out, std::int64_t knownFrames);

    // Patches the saved header's size fields for dataBytes and writes it at the start of out.
    // 0, or 1 after a message when the seek or the write failed.
    int rewriteWavHeader(std::FILE* out, std::uint32_t dataBytes);

    // The WAV header as last written.
    const std::array<unsigned char, 44>& header() const { return header_; }

    // Output settings, fixed for every decode.
    const std::int32_t quiet = 1;         // no informational or progress output
    const std::int32_t bits = 16;         // bits per output sample
    const std::int32_t bigEndian = 0;     // little-endian samples
    const std::int32_t raw = 0;           // 0: a WAV header comes first
    const std::int32_t signedSamples = 1; // signed samples

    // When set, the decode looks at it between reads and gives up once it reads true.
    const std::atomic<bool>* stopFlag = nullptr;
    // When set, a hole in the data, a second stream, or more or fewer samples than the
    // stream's length fail the decode with 1: a strict decode that succeeds has checked the
    // whole song, so nobody needs to decode it twice.
    bool strict = false;

private:
    std::array<unsigned char, 44> header_{};

    // Writes the saved header at the stream's position; false when it fell short.
    bool putHeader(std::FILE* out);
};
