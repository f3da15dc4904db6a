#pragma once
#include <cstdint>
#include <string>

// Reads the header of a WAV source the way the build's WAV reader does, touching none of
// the sample data: "RIFF", "WAVE", then chunks of any kind until "fmt " and on until "data"
// (a pad byte after an odd-length chunk is skipped when present).
class WavHeaderReader {
public:
    // Rates a source may have; the encoder has no use for others.
    static constexpr std::uint32_t kMinSampleRate = 8000;
    static constexpr std::uint32_t kMaxSampleRate = 192000;

    // True when the header was read and the build's reader takes its samples as integer
    // PCM (8 or 16 bits, block align matching the channels). False for a file that cannot
    // be opened or is not a regular file, is cut short, lacks either chunk, is float or
    // another encoding, or has a sample size the reader refuses. The file is closed before
    // this returns, whatever the outcome.
    bool Open(const std::string& path);

    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0; // as the header says; the reader never looks at it
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;    // as the header says
    std::uint64_t dataPresent = 0; // bytes of it really in the file (to its end if 0 is said)
};
