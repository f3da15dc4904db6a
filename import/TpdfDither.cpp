#include "import/TpdfDither.h"

namespace {

// xorshift64*: fast, and good enough for noise one step tall.
inline std::uint64_t Draw(std::uint64_t& state) {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
}

inline std::int16_t Dithered(float sample, float scale, std::uint64_t bits) {
    // One 64-bit draw gives both uniform values of the triangular noise.
    constexpr float kUnit = 0x1.0p-32f;
    const float noise = static_cast<float>(static_cast<std::uint32_t>(bits >> 32)) * kUnit -
                        static_cast<float>(static_cast<std::uint32_t>(bits)) * kUnit;
    // Written so that a stray NaN fails both tests and ends up as a number.
    float value = sample * scale + noise;
    value = value > -32768.0f ? value : -32768.0f;
    value = value < 32767.0f ? value : 32767.0f;
    // Shifted up so that truncation rounds: the value is never negative there.
    const float shifted = value + 32768.5f;
    return static_cast<std::int16_t>(static_cast<std::int32_t>(shifted) - 32768);
}

} // namespace

void TpdfDither::Quantise(const float* samples, std::size_t count, float gain, std::int16_t* out) {
    const float scale = gain * 32768.0f;
    std::size_t index = 0;
    // Independent generators side by side keep the processor busy instead of waiting on one.
    std::uint64_t a = states_[0], b = states_[1], c = states_[2], d = states_[3];
    for (; index + 4 <= count; index += 4) {
        out[index] = Dithered(samples[index], scale, Draw(a));
        out[index + 1] = Dithered(samples[index + 1], scale, Draw(b));
        out[index + 2] = Dithered(samples[index + 2], scale, Draw(c));
        out[index + 3] = Dithered(samples[index + 3], scale, Draw(d));
    }
    states_[0] = a, states_[1] = b, states_[2] = c, states_[3] = d;
    for (std::size_t stream = 0; index < count; ++index, ++stream)
        out[index] = Dithered(samples[index], scale, Draw(states_[stream]));
}
