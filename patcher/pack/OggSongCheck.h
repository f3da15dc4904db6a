#pragma once
#include "common/CancelCheck.h"

#include <string>

// What the headers of a pack's song say.
struct OggSongFacts {
    long rate = 0;
    double seconds = 0;
};

enum class OggSongDepth {
    HeadersOnly,    // stream layout, channels, rate and length
    DecodeEverySong // also decode the whole song
};

// Checks that the regular file at path is a song as Korvane encodes it: a single logical
// Ogg Vorbis stream (no chained or grouped streams), mono, 8,000 to 48,000 Hz, at most 30
// minutes long and, with DecodeEverySong, decoding without a hole or error to the length
// its headers give. Returns the empty string and fills facts, or the reason ("it is not
// mono"). cancelled is asked between decoded blocks; when it answers true the check stops
// with kSongCheckCancelled. Does not fail otherwise; never prints.
std::string CheckOggSong(const std::string& path, OggSongDepth depth, OggSongFacts& facts,
                         const CancelCheck& cancelled = {});

// The reason CheckOggSong gives when it was cancelled.
inline constexpr const char* kSongCheckCancelled = "the check was cancelled";
