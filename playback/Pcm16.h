#pragma once
#include <cmath>
#include <cstdint>

// A sample as the device gets it: scaled by 32768, rounded to the nearest integer (ties to
// even) and clipped to 16 bits, as libvorbisfile's 16-bit output is made; NaN gives 0.
inline std::int16_t ToPcm16(float sample) {
    const float scaled = sample * 32768.0f;
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    if (!(scaled == scaled))
        return 0;
    return static_cast<std::int16_t>(std::lrint(scaled));
}
