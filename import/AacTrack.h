#pragma once
#include <cstdint>
#include <vector>

// One access unit (an AAC frame without any container header) and where it lies.
struct AacFrame {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t duration = 0; // in the track's timescale
};

// What the MP4 and ADTS readers hand the AAC decoder: the AudioSpecificConfig, the frames in
// order, and which part of the decoded timeline is the song. Times are in `timescale` units
// and count every frame's whole duration from the first frame on, priming included.
struct AacTrack {
    std::vector<unsigned char> decoderConfig;
    std::uint32_t timescale = 0;
    std::vector<AacFrame> frames;
    std::uint64_t start = 0; // encoder delay to drop
    std::uint64_t length =
        UINT64_MAX; // the song's length from `start`; all that is there if larger

    std::uint64_t Duration() const {
        std::uint64_t total = 0;
        for (const AacFrame& frame : frames)
            total += frame.duration;
        return total;
    }
};

// Bounds that hold for any song the importer takes (30 minutes at most): AAC frames are at
// least 480 samples long, at 96 kHz at most, so no song has this many; and a frame carries at
// most 6,144 bits per channel, for at most 48 channels.
inline constexpr std::size_t kMostAacFrames = std::size_t{1} << 19;
inline constexpr std::uint32_t kMostAacFrameBytes = 48 * 768;
