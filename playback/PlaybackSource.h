#pragma once
#include <cstdint>
#include <string>

// A song the player can play: mono samples at a fixed rate, read in order from frame 0 or
// from any frame sought.
// Not thread-safe: the player uses a source from its worker thread only.
class PlaybackSource {
public:
    virtual ~PlaybackSource() = default;

    // Samples per second, above 0.
    virtual std::int32_t Rate() const = 0;
    // The song's length in samples.
    virtual std::int64_t Frames() const = 0;
    // Reading goes on from frame (0 .. Frames()). False, with Problem() set, when it cannot.
    virtual bool Seek(std::int64_t frame) = 0;
    // Up to count samples from the current frame into samples, scaled to -1.0 .. 1.0. The
    // number read; 0 at the end (a file cut short ends before Frames()); -1, with Problem()
    // set, when the song cannot be read on.
    virtual std::int64_t Read(float* samples, std::int64_t count) = 0;
    // Why the last Seek or Read failed, as a message for the user.
    virtual std::string Problem() const = 0;
};
