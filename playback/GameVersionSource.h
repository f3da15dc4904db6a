#pragma once
#include "playback/PlaybackSource.h"
#include "playback/VorbisRoundTrip.h"

#include <memory>
#include <vector>

// A song "as the game plays it": another source encoded as the build encodes it (the
// project's Ogg quality, audio/'s encoder settings) and decoded again, a block at a time
// while it plays, so that sound starts at once and nothing is written to disk. From frame 0
// the samples are exactly those of the built song decoded to 16 bits. From a later frame the
// encoder starts a second before it, and the samples there are the codec's sound of the song
// rather than the very same samples.
class GameVersionSource final : public PlaybackSource {
public:
    // Null, with problem set ("The Vorbis encoder refuses a song of N Hz."), when the
    // encoder refuses the inner source's rate at that quality step (4 is quality 0.4).
    static std::unique_ptr<GameVersionSource> Open(std::unique_ptr<PlaybackSource> inner,
                                                   std::int32_t qualityStep, std::string& problem);

    std::int32_t Rate() const override { return inner_->Rate(); }
    std::int64_t Frames() const override { return inner_->Frames(); }
    // Starts the encoder afresh; fails as the inner source's Seek.
    bool Seek(std::int64_t frame) override;
    // Fails as the inner source's Read.
    std::int64_t Read(float* samples, std::int64_t count) override;
    std::string Problem() const override { return inner_->Problem(); }

private:
    GameVersionSource(std::unique_ptr<PlaybackSource> inner, std::int32_t qualityStep);
    bool Restart(std::int64_t frame);
    // Encodes one more block of the inner source; false when its Read failed.
    bool EncodeMore();
    std::int64_t Available() const;

    std::unique_ptr<PlaybackSource> inner_;
    std::int32_t qualityStep_;
    VorbisRoundTrip codec_;
    std::vector<float> input_;
    std::vector<float> decoded_;
    std::size_t taken_ = 0; // decoded samples already read out
    std::int64_t skip_ = 0; // decoded samples still to drop before the frame sought
    bool ended_ = false;    // the encoder has had the end of the song
};
