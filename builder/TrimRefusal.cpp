#include "builder/TrimRefusal.h"

#include "builder/TrimText.h"

#include <cmath>
#include <limits>

namespace {

double Seconds(std::int64_t milliseconds) {
    return static_cast<double>(milliseconds) / 1000.0;
}

} // namespace

std::uint32_t Milliseconds(double seconds) {
    const double milliseconds = seconds * 1000.0;
    if (!(milliseconds > 0))
        return 0;
    if (milliseconds >= std::numeric_limits<std::uint32_t>::max())
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(std::llround(milliseconds));
}

std::string TrimRefusal(const SongTrim& trim, std::optional<std::int64_t> songMilliseconds) {
    if (trim.IsNone())
        return {};
    const std::int64_t start = Milliseconds(trim.start);
    const std::optional<std::int64_t> end =
        trim.end ? std::optional<std::int64_t>(Milliseconds(*trim.end)) : songMilliseconds;
    if (songMilliseconds) {
        const std::string song = SecondsTextDown(Seconds(*songMilliseconds));
        if (start > *songMilliseconds)
            return "The Start (" + SecondsText(trim.start) +
                   " s) lies beyond the end of the song (" + song + " s).";
        if (trim.end && *end > *songMilliseconds)
            return "The End (" + SecondsText(*trim.end) + " s) lies beyond the end of the song (" +
                   song + " s).";
    }
    if (trim.end && *end <= start)
        return "The End must come after the Start.";
    if (!end)
        return {};
    const std::int64_t kept = *end - start;
    if (kept < kShortestTrimmedSong)
        return "A trimmed song must last at least 1 second.";
    const std::int64_t fades =
        std::int64_t{Milliseconds(trim.fadeIn)} + std::int64_t{Milliseconds(trim.fadeOut)};
    if (fades > kept)
        return "The fades (" + SecondsText(Seconds(fades)) +
               " s together) are longer than the trimmed song (" + SecondsTextDown(Seconds(kept)) +
               " s).";
    return {};
}
