#include "import/MonoWavWriter.h"

#include "platform/SafeFile.h"

#include <algorithm>

namespace {

void PutUint32(std::string& out, std::uint32_t value) {
    for (int index = 0; index < 4; ++index)
        out += static_cast<char>(value >> (8 * index));
}

void PutUint16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value);
    out += static_cast<char>(value >> 8);
}

constexpr std::size_t kBufferBytes = 1 << 16;

} // namespace

MonoWavWriter::MonoWavWriter(SafeFile& file, std::uint64_t samples)
    : file_(file), announced_(samples) {
    buffer_.reserve(kBufferBytes);
}

bool MonoWavWriter::Begin() {
    if (announced_ > kMaxSamples)
        return ok_ = false;
    const auto dataBytes = static_cast<std::uint32_t>(announced_ * 2);
    std::string header = "RIFF";
    PutUint32(header, dataBytes + kHeaderBytes - 8);
    header += "WAVEfmt ";
    PutUint32(header, 16);
    PutUint16(header, 1); // integer PCM
    PutUint16(header, 1); // mono
    PutUint32(header, kSampleRate);
    PutUint32(header, kSampleRate * 2);
    PutUint16(header, 2);
    PutUint16(header, 16);
    header += "data";
    PutUint32(header, dataBytes);
    ok_ = ok_ && file_.Write(header);
    return ok_;
}

bool MonoWavWriter::Write(const std::int16_t* samples, std::size_t count) {
    for (std::size_t done = 0; done < count && ok_;) {
        const std::size_t now = std::min((kBufferBytes - buffer_.size()) / 2, count - done);
        const std::size_t at = buffer_.size();
        buffer_.resize(at + 2 * now);
        for (std::size_t index = 0; index < now; ++index) {
            const auto bits = static_cast<std::uint16_t>(samples[done + index]);
            buffer_[at + 2 * index] = static_cast<char>(bits);
            buffer_[at + 2 * index + 1] = static_cast<char>(bits >> 8);
        }
        done += now;
        if (buffer_.size() >= kBufferBytes)
            Flush();
    }
    written_ += count;
    return ok_;
}

bool MonoWavWriter::Finish() {
    Flush();
    return ok_ = ok_ && written_ == announced_;
}

bool MonoWavWriter::Flush() {
    ok_ = ok_ && file_.Write(buffer_);
    buffer_.clear();
    return ok_;
}
