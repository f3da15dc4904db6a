#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Synthesises short, pleasant demo songs: a slow chord progression with a soft melody on top.
class SongSynth {
public:
    static constexpr int kSampleRate = 44100;

    // Mono 16-bit samples of song number `index` (0-based); every index sounds different.
    std::vector<std::int16_t> Render(int index, double seconds) const;

    // A complete mono 16-bit PCM WAV file holding the samples.
    static std::string WavFile(const std::vector<std::int16_t>& samples);
};
