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
    if (header.byteRate == 0) {
        status_ = "invalid format";
        return;
    }
    length_ = static_cast<float>(header.dataSize / header.byteRate);
    valid_ = true;
    status_ = "Ok";
}
