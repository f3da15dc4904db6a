#include "import/MonoWavWriter.h"

#include "common/StagedFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

void PutUint32(unsigned char* at, std::uint32_t value) {
    for (int index = 0; index < 4; ++index)
        at[index] = static_cast<unsigned char>(value >> (8 * index));
}

void PutUint16(unsigned char* at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

constexpr std::size_t kBufferBytes = 1 << 16;

} // namespace

MonoWavWriter::MonoWavWriter(StagedFile& file) : file_(file) {
    buffer_.reserve(kBufferBytes);
}

bool MonoWavWriter::Begin() {
    unsigned char header[kHeaderBytes] = {};
    std::memcpy(header, "RIFF", 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutUint32(header + 16, 16);
    PutUint16(header + 20, 1); // integer PCM
    PutUint16(header + 22, 1); // mono
    PutUint32(header + 24, kSampleRate);
    PutUint32(header + 28, kSampleRate * 2);
    PutUint16(header + 32, 2);
    PutUint16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    ok_ = ok_ && file_.Write(header, sizeof header);
    return ok_;
}

bool MonoWavWriter::Write(const std::int16_t* samples, std::size_t count) {
    for (std::size_t done = 0; done < count && ok_;) {
        const std::size_t room = (kBufferBytes - buffer_.size()) / 2;
        const std::size_t now = std::min(room, count - done);
        const std::size_t at = buffer_.size();
        buffer_.resize(at + 2 * now);
        for (std::size_t index = 0; index < now; ++index) {
            const auto bits = static_cast<std::uint16_t>(samples[done + index]);
            buffer_[at + 2 * index] = static_cast<unsigned char>(bits);
            buffer_[at + 2 * index + 1] = static_cast<unsigned char>(bits >> 8);
        }
        done += now;
        if (buffer_.size() >= kBufferBytes)
            Flush();
    }
    samples_ += count;
    return ok_;
}

bool MonoWavWriter::Finish() {
    Flush();
    const std::uint64_t dataBytes = samples_ * 2;
    if (dataBytes > std::numeric_limits<std::uint32_t>::max() - kHeaderBytes)
        return ok_ = false;
    unsigned char size[4];
    PutUint32(size, static_cast<std::uint32_t>(dataBytes + kHeaderBytes - 8));
    ok_ = ok_ && file_.WriteAt(size, 4, 4);
    PutUint32(size, static_cast<std::uint32_t>(dataBytes));
    ok_ = ok_ && file_.WriteAt(size, 4, 40);
    return ok_;
}

bool MonoWavWriter::Flush() {
    ok_ = ok_ && file_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
}
