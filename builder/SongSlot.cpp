#include "builder/SongSlot.h"

#include "builder/WavHeaderReader.h"

#include <cmath>

void SongSlot::Clear() {
    path_.clear();
    title_ = "empty slot";
    length_ = 0;
    valid_ = false;
    status_ = "no file";
    trim_ = SongTrim();
    frames_ = 0;
    rate_ = 0;
}

void SongSlot::SetPath(std::string path) {
    path_ = std::move(path);
    Probe();
}

void SongSlot::Probe() {
    WavHeaderReader header;
    valid_ = false;
    frames_ = 0;
    rate_ = 0;
    if (!header.Open(path_)) {
        status_ = "invalid format";
        return;
    }
    if (header.channels != 1) {
        status_ = "not mono";
        return;
    }
    if (header.sampleRate < WavHeaderReader::kMinSampleRate ||
        header.sampleRate > WavHeaderReader::kMaxSampleRate) {
        status_ = "invalid format";
        return;
    }
    // Whole seconds of the frames really in the file, as the encoder will meet them.
    frames_ = header.dataPresent / header.blockAlign;
    rate_ = header.sampleRate;
    length_ = static_cast<float>(frames_ / rate_);
    valid_ = true;
    status_ = "Ok";
}

std::optional<std::int64_t> SongSlot::SongMilliseconds() const {
    if (!valid_)
        return std::nullopt;
    return static_cast<std::int64_t>(frames_ * 1000 / rate_);
}

std::int64_t SongSlot::KeptFrames() const {
    return TrimToFrames(trim_, static_cast<std::int32_t>(rate_), static_cast<std::int64_t>(frames_))
        .count;
}

std::optional<double> SongSlot::PlayedSeconds() const {
    if (!valid_)
        return std::nullopt;
    return static_cast<double>(KeptFrames()) / rate_;
}

float SongSlot::PlayedLength() const {
    if (trim_.IsNone() || !valid_)
        return length_;
    return static_cast<float>(KeptFrames() * 10 / rate_) / 10.0f;
}
