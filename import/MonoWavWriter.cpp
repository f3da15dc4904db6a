#include "import/MonoWavWriter.h"

#include "common/LittleEndian.h"
#include "common/WavHeader.h"
#include "platform/SafeFile.h"

#include <algorithm>

namespace {

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
    const std::string header = WavHeader::Pcm(1, kSampleRate, 16, dataBytes);
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
            PutLittleEndian16(reinterpret_cast<unsigned char*>(&buffer_[at + 2 * index]), bits);
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
