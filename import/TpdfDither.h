#pragma once
#include <cstdint>

// Turns float samples (full scale 1.0) into 16-bit ones with triangular (TPDF) dither of one
// step either way, clipping anything beyond full scale. The noise comes from a fixed seed, so
// the same input always gives the same bytes, on any thread.
class TpdfDither {
public:
    std::int16_t Quantise(float sample);

private:
    double NextUniform();

    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};
