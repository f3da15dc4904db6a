#pragma once
#include <cstdint>
#include <string>

// The 44-byte header of an integer PCM WAV file: "RIFF", its size, "WAVE", a 16-byte "fmt "
// chunk, then "data" and its size. The one header writer of the programs (the importer's mono
// songs, the decoder's WAV output, the demo's songs).
class WavHeader {
public:
    static constexpr std::uint32_t kBytes = 44;

    // riffBytes is the RIFF chunk's size field, normally dataBytes + 36 (PcmRiffBytes); a
    // writer that does not know its length yet may put placeholders in both.
    static std::string Pcm(std::uint16_t channels, std::uint32_t sampleRate,
                           std::uint16_t bitsPerSample, std::uint32_t dataBytes,
                           std::uint32_t riffBytes);
    static std::string Pcm(std::uint16_t channels, std::uint32_t sampleRate,
                           std::uint16_t bitsPerSample, std::uint32_t dataBytes) {
        return Pcm(channels, sampleRate, bitsPerSample, dataBytes, dataBytes + kBytes - 8);
    }
};
