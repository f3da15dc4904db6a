#include "playback/GameVersionSource.h"

#include "audio/TrackEncodeJob.h"

#include <algorithm>

namespace {

// The build's encoder reads its source in blocks of this size too.
constexpr std::int32_t kEncodeFrames = 1024;

} // namespace

GameVersionSource::GameVersionSource(std::unique_ptr<PlaybackSource> inner,
                                     std::int32_t qualityStep)
    : inner_(std::move(inner)), qualityStep_(qualityStep), input_(kEncodeFrames) {}

std::unique_ptr<GameVersionSource> GameVersionSource::Open(std::unique_ptr<PlaybackSource> inner,
                                                           std::int32_t qualityStep,
                                                           std::string& problem) {
    std::unique_ptr<GameVersionSource> source(new GameVersionSource(std::move(inner), qualityStep));
    if (!source->codec_.Start(TrackEncodeJob::SettingsFor(qualityStep), source->Rate())) {
        problem = "The Vorbis encoder refuses a song of " + std::to_string(source->Rate()) + " Hz.";
        return nullptr;
    }
    return source;
}

bool GameVersionSource::Restart(std::int64_t frame) {
    // A second of the song before the frame lets the encoder's analysis settle, as in the
    // full song; from within the first second the encode simply starts at the beginning.
    const std::int64_t lead = Rate();
    const std::int64_t from = frame > lead ? frame - lead : 0;
    if (!inner_->Seek(from))
        return false;
    codec_.Start(TrackEncodeJob::SettingsFor(qualityStep_), Rate());
    decoded_.clear();
    taken_ = 0;
    skip_ = frame - from;
    ended_ = false;
    return true;
}

bool GameVersionSource::Seek(std::int64_t frame) {
    return Restart(std::clamp<std::int64_t>(frame, 0, Frames()));
}

bool GameVersionSource::EncodeMore() {
    const std::int64_t got = inner_->Read(input_.data(), kEncodeFrames);
    if (got < 0)
        return false;
    codec_.Encode(input_.data(), static_cast<std::int32_t>(got), decoded_);
    ended_ = got == 0;
    const auto dropped = static_cast<std::int64_t>(
        std::min<std::size_t>(static_cast<std::size_t>(skip_), decoded_.size() - taken_));
    taken_ += static_cast<std::size_t>(dropped);
    skip_ -= dropped;
    return true;
}

std::int64_t GameVersionSource::Available() const {
    return static_cast<std::int64_t>(decoded_.size() - taken_);
}

std::int64_t GameVersionSource::Read(float* samples, std::int64_t count) {
    while (Available() < count && !ended_) {
        if (!EncodeMore())
            return -1;
    }
    const std::int64_t given = std::min(count, Available());
    std::copy_n(decoded_.begin() + static_cast<std::ptrdiff_t>(taken_), given, samples);
    taken_ += static_cast<std::size_t>(given);
    // Read samples are dropped once they are most of the buffer.
    if (taken_ > decoded_.size() / 2) {
        decoded_.erase(decoded_.begin(), decoded_.begin() + static_cast<std::ptrdiff_t>(taken_));
        taken_ = 0;
    }
    return given;
}
