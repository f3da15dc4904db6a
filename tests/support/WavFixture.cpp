#include "tests/support/WavFixture.h"

#include <cmath>

void PutLE16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void PutLE32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

std::string MakeWav(int channels, int sampleRate, int bitsPerSample, const std::string& data,
                    int formatTag) {
    int blockAlign = channels * ((bitsPerSample + 7) / 8);
    std::string out = "RIFF";
    PutLE32(out, static_cast<std::uint32_t>(36 + data.size()));
    out += "WAVEfmt ";
    PutLE32(out, 16);
    PutLE16(out, static_cast<std::uint16_t>(formatTag));
    PutLE16(out, static_cast<std::uint16_t>(channels));
    PutLE32(out, static_cast<std::uint32_t>(sampleRate));
    PutLE32(out, static_cast<std::uint32_t>(sampleRate * blockAlign));
    PutLE16(out, static_cast<std::uint16_t>(blockAlign));
    PutLE16(out, static_cast<std::uint16_t>(bitsPerSample));
    out += "data";
    PutLE32(out, static_cast<std::uint32_t>(data.size()));
    return out + data;
}

std::string Pcm16Bytes(const std::vector<std::int16_t>& samples) {
    std::string out;
    out.reserve(samples.size() * 2);
    for (auto sample : samples)
        PutLE16(out, static_cast<std::uint16_t>(sample));
    return out;
}

std::vector<std::int16_t> ToneSamples(int channels, int sampleRate, int frames, double hertz,
                                      double amplitude) {
    std::vector<std::int16_t> samples;
    samples.reserve(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (int i = 0; i < frames; ++i) {
        double value = amplitude * std::sin(2.0 * M_PI * hertz * i / sampleRate);
        for (int c = 0; c < channels; ++c)
            samples.push_back(static_cast<std::int16_t>(std::lround(value * 32767.0)));
    }
    return samples;
}
