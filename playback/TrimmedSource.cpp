#include "playback/TrimmedSource.h"

#include <algorithm>

TrimmedSource::TrimmedSource(std::unique_ptr<PlaybackSource> inner, const SongTrim& trim)
    : inner_(std::move(inner)), trim_(TrimToFrames(trim, inner_->Rate(), inner_->Frames())) {}

bool TrimmedSource::Seek(std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, trim_.count);
    if (!inner_->Seek(trim_.first + frame))
        return false;
    position_ = frame;
    placed_ = true;
    return true;
}

std::int64_t TrimmedSource::Read(float* samples, std::int64_t count) {
    const std::int64_t wanted = std::clamp<std::int64_t>(trim_.count - position_, 0, count);
    if (wanted == 0)
        return 0;
    if (!placed_ && !Seek(position_))
        return -1;
    const std::int64_t got = inner_->Read(samples, wanted);
    if (got <= 0)
        return got;
    ApplyFades(trim_, position_, samples, got);
    position_ += got;
    return got;
}
