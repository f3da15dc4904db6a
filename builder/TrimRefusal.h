#pragma once
#include "audio/SongTrim.h"

#include <cstdint>
#include <optional>
#include <string>

// The shortest a trimmed song may be, in milliseconds.
inline constexpr std::int64_t kShortestTrimmedSong = 1000;

// Why a slot may not have this trim, as the message the user reads; empty when it may. A
// trim that changes nothing is always allowed. songMilliseconds is the length of the slot's
// song, or nothing when its song is unknown (no file, not valid): then only what the trim
// says by itself is checked, and the build checks the rest. Times are compared in whole
// milliseconds, so that typed tenths are never off by a rounding. Never fails otherwise.
std::string TrimRefusal(const SongTrim& trim, std::optional<std::int64_t> songMilliseconds);

// A time as the project file holds it: whole milliseconds, 0 for anything below 0 or NaN,
// at most what 32 bits hold.
std::uint32_t Milliseconds(double seconds);
