#include "builder/SongSlot.h"

#include "builder/WavHeaderReader.h"

void SongSlot::Clear() {
    path_.clear();
    title_ = "empty slot";
    length_ = 0;
    valid_ = false;
    status_ = "no file";
}

void SongSlot::SetPath(std::string path) {
    path_ = std::move(path);
    Probe();
}

void SongSlot::Probe() {
    WavHeaderReader header;
    valid_ = false;
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
    const std::uint64_t frames = header.dataPresent / header.blockAlign;
    length_ = static_cast<float>(frames / header.sampleRate);
    valid_ = true;
    status_ = "Ok";
}
