#pragma once
#include "audio/SongTrim.h"
#include "playback/PlaybackSource.h"

#include <memory>

// Any source cut to a slot's Start and End, with its Fade in and Fade out applied sample by
// sample with the very gains the build uses (audio/SongTrim.h). Frame 0 is the Start.
class TrimmedSource final : public PlaybackSource {
public:
    // Times outside the song are clamped (TrimToFrames); refusing them is the caller's.
    TrimmedSource(std::unique_ptr<PlaybackSource> inner, const SongTrim& trim);

    std::int32_t Rate() const override { return inner_->Rate(); }
    std::int64_t Frames() const override { return trim_.count; }
    // Fails as the inner source's Seek.
    bool Seek(std::int64_t frame) override;
    // Fails as the inner source's Read.
    std::int64_t Read(float* samples, std::int64_t count) override;
    std::string Problem() const override { return inner_->Problem(); }

private:
    std::unique_ptr<PlaybackSource> inner_;
    TrimFrames trim_;
    std::int64_t position_ = 0;
    bool placed_ = false; // the inner source stands at the Start or after a Seek
};
