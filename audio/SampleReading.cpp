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

// One converter per sample encoding, as types so the frame loop inlines them.
struct Unsigned8 {
    static constexpr int bytes = 1;
    float operator()(const unsigned char* at) const {
        return static_cast<float>(at[0] - 128) * 0.0078125f;
    }
};
struct Signed8 {
    static constexpr int bytes = 1;
    float operator()(const unsigned char* at) const {
        return static_cast<float>(static_cast<std::int8_t>(at[0])) * 0.0078125f;
    }
};
struct Little16 {
    static constexpr int bytes = 2;
    float operator()(const unsigned char* at) const {
        return static_cast<float>(static_cast<std::int16_t>(LittleEndian16(at))) *
               3.0517578125e-05f;
    }
};
struct Big16 {
    static constexpr int bytes = 2;
    float operator()(const unsigned char* at) const {
        return static_cast<float>(static_cast<std::int16_t>(bigEndian16(at))) * 3.0517578125e-05f;
    }
};
struct LittleFloat32 {
    static constexpr int bytes = 4;
    float operator()(const unsigned char* at) const {
        return std::bit_cast<float>(LittleEndian32(at));
    }
};

// Frames still allowed by totalFrames (0 = no limit), at most `wanted`.
std::int32_t framesAllowed(const PcmFileReader& state, std::int32_t wanted) {
    if (state.totalFrames == 0)
        return wanted;
    return std::clamp(state.totalFrames - state.framesRead, 0, wanted);
}

template <typename Convert>
std::int32_t readFrames(PcmFileReader* state, float** channels, std::int32_t frames) {
    constexpr int bytesPerSample = Convert::bytes;
    const Convert convert;
    const int channelCount = state->channels;
    if (channelCount <= 0 || frames <= 0)
        return 0;
    const std::size_t frameBytes = static_cast<std::size_t>(channelCount) * bytesPerSample;
    const std::int32_t wanted = framesAllowed(*state, frames);
    const std::size_t piece = std::max<std::size_t>(1, kScratchBytes / frameBytes);
    unsigned char small[kScratchBytes];
    std::vector<unsigned char> large; // only for frames wider than the scratch space
    unsigned char* buffer = small;
    if (frameBytes > kScratchBytes) {
        large.resize(frameBytes);
        buffer = large.data();
    }

    std::int32_t done = 0;
    while (done < wanted) {
        std::size_t ask = std::min<std::size_t>(wanted - done, piece);
        std::size_t got = std::fread(buffer, 1, ask * frameBytes, state->stream);
        std::size_t whole = got / frameBytes; // a trailing partial frame is dropped
        for (std::size_t i = 0; i < whole; ++i) {
            const unsigned char* frame = buffer + i * frameBytes;
            for (int j = 0; j < channelCount; ++j)
                channels[j][done + i] = convert(frame + j * bytesPerSample);
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
    const bool bigEndian = state->bigEndian != 0;
    switch (state->bitsPerSample / 8) {
    case 1:
        return bigEndian ? readFrames<Signed8>(state, channels, frames)
                         : readFrames<Unsigned8>(state, channels, frames);
    case 2:
        return bigEndian ? readFrames<Big16>(state, channels, frames)
                         : readFrames<Little16>(state, channels, frames);
    default: // the readers open nothing else
        return 0;
    }
}

std::int32_t readFloatFrames(PcmFileReader* state, float** channels, std::int32_t frames) {
    return readFrames<LittleFloat32>(state, channels, frames);
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
