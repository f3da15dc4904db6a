#pragma once
#include <cstdint>
#include <optional>

// The part of a song the build encodes and listening plays, with its fades. Times are in
// seconds from the start of the source song.
struct SongTrim {
    double start = 0;          // the first second kept
    std::optional<double> end; // the second the song stops at; none: the source's end
    double fadeIn = 0;         // length of the fade in from the kept part's start
    double fadeOut = 0;        // length of the fade out to the kept part's end

    // True when the whole song plays unchanged: the build then encodes it as it always did.
    bool IsNone() const { return start == 0 && !end && fadeIn == 0 && fadeOut == 0; }
    bool operator==(const SongTrim&) const = default;
};

// A trim in frames of one song: the kept frames are first .. first + count - 1.
struct TrimFrames {
    std::int64_t first = 0;
    std::int64_t count = 0;
    std::int64_t fadeIn = 0;  // frames, at most count
    std::int64_t fadeOut = 0; // frames, at most count
};

// Each time becomes the nearest whole frame at rate (llround(seconds * rate)). Never fails:
// times outside the song (negative, beyond songFrames, an end before the start, fades longer
// than what is kept) are clamped into it, and NaN counts as 0 (as the song's end for End);
// refusing such times is the caller's business.
TrimFrames TrimToFrames(const SongTrim& trim, std::int32_t rate, std::int64_t songFrames);

// The gain of the kept part's frame i (0 <= i < count), linear in amplitude:
//   fade in:  i / fadeIn                 for i <  fadeIn,             else 1
//   fade out: (count - 1 - i) / fadeOut  for i >= count - fadeOut,    else 1
//   gain = fade in * fade out, each quotient computed in double and the product rounded to
// float. So a fade in of n frames runs 0, 1/n, ..., (n-1)/n and the next frame is at 1; a fade
// out mirrors it and its last frame is 0. Frames outside 0 .. count - 1 get 0.
float FadeGain(const TrimFrames& trim, std::int64_t i);

// Multiplies count mono samples, the kept part's frames from firstFrame on, by their gains.
// Samples outside both fades are left untouched, bit for bit.
void ApplyFades(const TrimFrames& trim, std::int64_t firstFrame, float* samples,
                std::int64_t count);
