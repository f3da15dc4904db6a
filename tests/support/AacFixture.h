#pragma once
#include <cstdint>
#include <string>
#include <vector>

// AAC-LC test audio made with VisualOn's encoder library (vo-aacenc): raw frames, each standing
// for 1024 samples of the decoded timeline, the first of them priming.
struct AacFrames {
    int rate = 0;
    int channels = 0;
    std::vector<std::string> frames;
};

// Samples of priming before the source's first sample, in that timeline: the encoder's own
// delay plus one frame. Measured from the library's output; the tests find it again.
inline constexpr std::uint64_t kAacPriming = 1600;

// Encodes interleaved 16-bit samples at 128 kbit/s per channel, padding the end with
// silence so that every source sample is in some frame. False when the library refuses.
bool EncodeAac(const std::vector<std::int16_t>& interleaved, int rate, int channels,
               AacFrames& out);

// The AudioSpecificConfig of those frames (AAC-LC, the rate's index, the channels).
std::string AacDecoderConfig(const AacFrames& aac);

// The frames as an ADTS stream, each with its 7-byte header.
std::string AdtsStream(const AacFrames& aac);
