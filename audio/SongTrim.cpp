#include "audio/SongTrim.h"

#include <algorithm>
#include <cmath>

namespace {

// The nearest frame of a time, within 0 .. limit; NaN gives 0.
std::int64_t FrameAt(double seconds, std::int32_t rate, std::int64_t limit) {
    const double frame = seconds * rate;
    if (!(frame > 0))
        return 0;
    if (frame >= static_cast<double>(limit))
        return limit;
    return std::min<std::int64_t>(std::llround(frame), limit);
}

} // namespace

TrimFrames TrimToFrames(const SongTrim& trim, std::int32_t rate, std::int64_t songFrames) {
    const std::int64_t frames = std::max<std::int64_t>(songFrames, 0);
    TrimFrames result;
    result.first = FrameAt(trim.start, rate, frames);
    const bool toTheEnd = !trim.end || std::isnan(*trim.end);
    const std::int64_t end = toTheEnd ? frames : FrameAt(*trim.end, rate, frames);
    result.count = std::max<std::int64_t>(end - result.first, 0);
    result.fadeIn = FrameAt(trim.fadeIn, rate, result.count);
    result.fadeOut = FrameAt(trim.fadeOut, rate, result.count);
    return result;
}

float FadeGain(const TrimFrames& trim, std::int64_t i) {
    if (i < 0 || i >= trim.count)
        return 0.0f;
    double gain = 1.0;
    if (i < trim.fadeIn)
        gain = static_cast<double>(i) / static_cast<double>(trim.fadeIn);
    const std::int64_t fromEnd = trim.count - 1 - i;
    if (fromEnd < trim.fadeOut)
        gain *= static_cast<double>(fromEnd) / static_cast<double>(trim.fadeOut);
    return static_cast<float>(gain);
}

void ApplyFades(const TrimFrames& trim, std::int64_t firstFrame, float* samples,
                std::int64_t count) {
    const std::int64_t fadeOutStart = trim.count - trim.fadeOut;
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t i = firstFrame + k;
        if (i < trim.fadeIn || i >= fadeOutStart)
            samples[k] *= FadeGain(trim, i);
    }
}
