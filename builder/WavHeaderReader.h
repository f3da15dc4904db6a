#pragma once
#include <cstdint>
#include <string>

// Reads and checks the header of a WAV file: "RIFF", "WAVE", a "fmt " chunk as the first
// chunk and a "data" chunk directly after it. Touches none of the sample data.
class WavHeaderReader {
public:
    // True when the whole header was read and passed its rules. False for a file that cannot
    // be opened, is too short, has another chunk layout, is not integer PCM, or has a format
    // chunk length that points backwards or past the end of the file. The file is closed
    // before this returns, whatever the outcome.
    bool Open(const std::string& path);

    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
};
