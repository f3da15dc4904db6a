#pragma once
#include <cstdint>
#include <string>

// Encodes one song file into an Ogg Vorbis file beside it (same name up to the last ".",
// then ".ogg"), quietly and without tags, at the source's own rate and channel count.
class TrackEncodeJob {
public:
    TrackEncodeJob();
    virtual ~TrackEncodeJob();

    // Vorbis quality in tenths (4 gives 0.4); passed on unchecked.
    std::int32_t qualityStep = 4;

    // True on success. False when the input cannot be opened or read as WAV/AIFF, the output
    // cannot be created, the encoder rejects the settings or a write fails; the reason goes
    // to standard error and a partial output file may remain.
    bool Run(const std::string& inputPath);
};
