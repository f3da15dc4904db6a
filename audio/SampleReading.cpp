#include "audio/SampleReading.h"

#include "audio/ChunkReading.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Bounds the scratch buffer however many channels a header claims.
constexpr std::size_t kScratchBytes = 16384;

float pcmSample(const unsigned char* bytes, int bytesPerSample, bool bigEndian) {
    if (bytesPerSample == 1) {
        if (bigEndian) // AIFF: signed
            return static_cast<float>(static_cast<std::int8_t>(bytes[0])) * 0.0078125f;
        return static_cast<float>(bytes[0] - 128) * 0.0078125f; // WAV: unsigned
    }
    std::uint16_t raw = bigEndian ? bigEndian16(bytes) : littleEndian16(bytes);
    return static_cast<float>(static_cast<std::int16_t>(raw)) * 3.0517578125e-05f;
}

float floatSample(const unsigned char* bytes, int, bool) {
    return std::bit_cast<float>(littleEndian32(bytes));
}

// Frames still allowed by totalFrames (0 = no limit), at most `wanted`.
std::int32_t framesAllowed(const PcmFileReader& state, std::int32_t wanted) {
    if (state.totalFrames == 0)
        return wanted;
    return std::clamp(state.totalFrames - state.framesRead, 0, wanted);
}

template <typename Convert>
std::int32_t readFrames(PcmFileReader* state, float** channels, std::int32_t frames,
                        int bytesPerSample, Convert convert) {
    const int channelCount = state->channels;
    if (channelCount <= 0 || bytesPerSample <= 0 || frames <= 0)
        return 0;
    const std::size_t frameBytes = static_cast<std::size_t>(channelCount) * bytesPerSample;
    const std::int32_t wanted = framesAllowed(*state, frames);
    const std::size_t piece = std::max<std::size_t>(1, kScratchBytes / frameBytes);
    std::vector<unsigned char> buffer(std::min<std::size_t>(wanted, piece) * frameBytes);
    const bool bigEndian = state->bigEndian != 0;

    std::int32_t done = 0;
    while (done < wanted) {
        std::size_t ask = std::min<std::size_t>(wanted - done, piece);
        std::size_t got = std::fread(buffer.data(), 1, ask * frameBytes, state->stream);
        std::size_t whole = got / frameBytes; // a trailing partial frame is dropped
        for (std::size_t i = 0; i < whole; ++i) {
            const unsigned char* frame = buffer.data() + i * frameBytes;
            for (int j = 0; j < channelCount; ++j)
                channels[j][done + i] =
                    convert(frame + j * bytesPerSample, bytesPerSample, bigEndian);
        }
        done += static_cast<std::int32_t>(whole);
        if (whole < ask)
            break;
    }
    // Saturate rather than overflow on endless sources of unknown length.
    state->framesRead = static_cast<std::int32_t>(std::min<std::int64_t>(
        std::int64_t{state->framesRead} + done, std::numeric_limits<std::int32_t>::max()));
    return done;
}

} // namespace

std::int32_t readPcmFrames(PcmFileReader* state, float** channels, std::int32_t frames) {
    return readFrames(state, channels, frames, state->bitsPerSample / 8, pcmSample);
}

std::int32_t readFloatFrames(PcmFileReader* state, float** channels, std::int32_t frames) {
    return readFrames(state, channels, frames, 4, floatSample);
}

double readExtended80(const unsigned char bytes[10]) {
    const bool negative = (bytes[0] & 0x80) != 0;
    const int exponent = ((bytes[0] & 0x7F) << 8) | bytes[1];
    const std::uint64_t mantissa =
        (static_cast<std::uint64_t>(bigEndian32(bytes + 2)) << 32) | bigEndian32(bytes + 6);
    if (exponent == 32767) {
        const bool topBitClear = (bytes[2] & 0x80) == 0;
        const double infinity = std::numeric_limits<double>::infinity();
        return (topBitClear && negative) ? -infinity : infinity;
    }
    return std::ldexp(static_cast<double>(mantissa), exponent - 16446);
}
