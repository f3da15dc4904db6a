#include "common/WavHeader.h"

#include "common/LittleEndian.h"

std::string WavHeader::Pcm(std::uint16_t channels, std::uint32_t sampleRate,
                           std::uint16_t bitsPerSample, std::uint32_t dataBytes,
                           std::uint32_t riffBytes) {
    const std::uint32_t blockAlign = std::uint32_t{channels} * (bitsPerSample / 8);
    std::string header = "RIFF";
    AppendLittleEndian32(header, riffBytes);
    header += "WAVEfmt ";
    AppendLittleEndian32(header, 16);
    AppendLittleEndian16(header, 1); // integer PCM
    AppendLittleEndian16(header, channels);
    AppendLittleEndian32(header, sampleRate);
    AppendLittleEndian32(header, sampleRate * blockAlign);
    AppendLittleEndian16(header, static_cast<std::uint16_t>(blockAlign));
    AppendLittleEndian16(header, bitsPerSample);
    header += "data";
    AppendLittleEndian32(header, dataBytes);
    return header;
}
