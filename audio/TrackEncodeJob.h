#pragma once
#include "audio/EncoderSettings.h"
#include "audio/SongTrim.h"

#include <atomic>
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
    // The Ogg stream's serial number; a negative one draws a fresh number when Run starts.
    // Jobs on worker threads get theirs drawn beforehand: the C generator is not thread-safe.
    std::int32_t serialNumber = -1;
    // When set, Run stops between blocks once it reads true and returns false quietly.
    const std::atomic<bool>* stopFlag = nullptr;
    // The part of the song encoded, its fades applied sample by sample (FadeGain). With no
    // trim the whole file is encoded as it always was; times beyond the song are clamped.
    SongTrim trim;

    // The serial number Run draws: the C generator seeded with seed (the time in whole
    // seconds), then its next value, 0 to 32767. Uses process-wide state: one thread only.
    static std::int32_t SerialNumberFor(unsigned seed);
    // SerialNumberFor the current time.
    static std::int32_t FreshSerialNumber();
    // The encoder's mode for a quality step, as Run sets it: variable bitrate at that
    // quality, no bitrate management. Source, output and serial number are left unset.
    static EncoderSettings SettingsFor(std::int32_t qualityStep);

    // True on success. False when the input cannot be opened or read as WAV/AIFF, the output
    // cannot be created, the encoder rejects the settings or a write fails; the reason goes
    // to standard error and a partial output file may remain (also after a stop request).
    bool Run(const std::string& inputPath);
};
