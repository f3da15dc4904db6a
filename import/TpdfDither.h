#pragma once
#include <cstddef>
#include <cstdint>

// Turns float samples (full scale 1.0) into 16-bit ones after a gain, with triangular (TPDF)
// dither of one step either way, clipping anything beyond full scale. The noise comes from a
// fixed seed, so the same input always gives the same bytes, on any thread.
class TpdfDither {
public:
    void Quantise(const float* samples, std::size_t count, float gain, std::int16_t* out);

private:
    static constexpr std::size_t kStreams = 4;
    std::uint64_t states_[kStreams] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull,
                                       0x94D049BB133111EBull, 0x2545F4914F6CDD1Dull};
};
