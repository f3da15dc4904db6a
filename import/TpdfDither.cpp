#include "import/TpdfDither.h"

#include <algorithm>
#include <cmath>

std::int16_t TpdfDither::Quantise(float sample) {
    const double noise = NextUniform() - NextUniform();
    const double scaled = static_cast<double>(sample) * 32768.0 + noise;
    return static_cast<std::int16_t>(std::clamp(std::lround(scaled), -32768L, 32767L));
}

double TpdfDither::NextUniform() {
    // xorshift64*: fast, and good enough for noise one step tall.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<double>((state_ * 0x2545F4914F6CDD1Dull) >> 11) * 0x1.0p-53;
}
