#include "import/AacDecoder.h"

#include "import/ByteSource.h"

#include <neaacdec.h>

#include <algorithm>
#include <cstring>

namespace {

// libfaad2 may read a little past a frame's last byte: the buffer has zeros there.
constexpr std::size_t kFramePadding = 16;
// Frames decoded to learn the output rate: the decoder holds back one or two at its start.
constexpr std::size_t kProbeFrames = 8;
constexpr unsigned long kMostRate = 192000;

NeAACDecHandle AsDecoder(void* decoder) {
    return static_cast<NeAACDecHandle>(decoder);
}

} // namespace

AacDecoder::AacDecoder() = default;

AacDecoder::~AacDecoder() {
    if (decoder_)
        NeAACDecClose(AsDecoder(decoder_));
}

ImportProblem AacDecoder::Start() {
    if (decoder_)
        NeAACDecClose(AsDecoder(decoder_));
    NeAACDecHandle decoder = NeAACDecOpen();
    decoder_ = decoder;
    if (!decoder)
        return ImportProblem::CannotWrite; // out of memory
    NeAACDecConfigurationPtr config = NeAACDecGetCurrentConfiguration(decoder);
    config->outputFormat = FAAD_FMT_FLOAT;
    config->downMatrix = 0;
    // A low-rate stream that does not announce SBR is decoded at its own rate: upsampled on a
    // guess, libfaad2's output would lag by its SBR filter bank's delay, which no encoder
    // delay in the file accounts for.
    config->dontUpSampleImplicitSBR = 1;
    unsigned long rate = 0;
    unsigned char channels = 0;
    if (!NeAACDecSetConfiguration(decoder, config) ||
        NeAACDecInit2(decoder, track_.decoderConfig.data(),
                      static_cast<unsigned long>(track_.decoderConfig.size()), &rate,
                      &channels) < 0 ||
        rate == 0 || channels == 0)
        return ImportProblem::Unsupported;
    nextFrame_ = 0;
    return ImportProblem::None;
}

// The rate libfaad2 announces is the upsampled one even when it will not upsample: the first
// frame that yields samples tells the real one.
ImportProblem AacDecoder::ProbeRate() {
    for (std::size_t frame = 0; frame < std::min<std::size_t>(kProbeFrames, track_.frames.size());
         ++frame) {
        const AacFrame& at = track_.frames[frame];
        frame_.assign(at.size + kFramePadding, 0);
        if (!bytes_->ReadAt(at.offset, frame_.data(), at.size))
            return ImportProblem::Damaged;
        NeAACDecFrameInfo info{};
        NeAACDecDecode(AsDecoder(decoder_), &info, frame_.data(), at.size);
        if (info.error != 0)
            return ImportProblem::Damaged;
        if (info.samples > 0) {
            if (info.samplerate == 0 || info.samplerate > kMostRate)
                return ImportProblem::Unsupported;
            outputRate_ = static_cast<int>(info.samplerate);
            return ImportProblem::None;
        }
    }
    return ImportProblem::Damaged;
}

ImportProblem AacDecoder::Open(ByteSource& bytes, AacTrack track) {
    bytes_ = &bytes;
    track_ = std::move(track);
    if (track_.frames.empty() || track_.timescale == 0 || track_.decoderConfig.empty())
        return ImportProblem::Damaged;
    ImportProblem problem = Start();
    if (problem == ImportProblem::None)
        problem = ProbeRate();
    if (problem == ImportProblem::None)
        problem = Start(); // from the first frame again
    if (problem != ImportProblem::None)
        return problem;
    // Within the frames there are, whatever the file claims.
    const std::uint64_t duration = track_.Duration();
    const std::uint64_t start = std::min(track_.start, duration);
    begin_ = OutputTime(start);
    end_ = OutputTime(start + std::min(track_.length, duration - start));
    if (begin_ >= end_)
        return ImportProblem::Empty;
    return ImportProblem::None;
}

// Track units to output samples: with SBR the output rate is twice the track's.
std::uint64_t AacDecoder::OutputTime(std::uint64_t trackTime) const {
    return static_cast<std::uint64_t>(
        static_cast<long double>(trackTime) * outputRate_ / track_.timescale + 0.5L);
}

bool AacDecoder::DecodeNext() {
    if (failed_ || nextFrame_ >= track_.frames.size())
        return false;
    const AacFrame& frame = track_.frames[nextFrame_++];
    frame_.assign(frame.size + kFramePadding, 0);
    if (!bytes_->ReadAt(frame.offset, frame_.data(), frame.size)) {
        failed_ = true;
        return false;
    }
    NeAACDecFrameInfo info{};
    auto* samples = static_cast<const float*>(
        NeAACDecDecode(AsDecoder(decoder_), &info, frame_.data(), frame.size));
    trackTime_ += frame.duration;
    const std::uint64_t frameEnd = OutputTime(trackTime_);
    if (info.error != 0 || (info.samples > 0 && (!samples || info.channels == 0)) ||
        (info.samples > 0 && info.samplerate != static_cast<unsigned long>(outputRate_))) {
        failed_ = true;
        return false;
    }
    pending_.clear();
    pendingAt_ = 0;
    if (info.samples == 0) {
        // Held back at the start: silence for the frame's duration keeps the timeline.
        pending_.assign(static_cast<std::size_t>(frameEnd - std::min(frameEnd, decodedTime_)),
                        0.0f);
    } else {
        const std::size_t count = info.samples / info.channels;
        pending_.resize(count);
        const float scale = 1.0f / static_cast<float>(info.channels);
        for (std::size_t index = 0; index < count; ++index) {
            float sum = 0;
            for (unsigned channel = 0; channel < info.channels; ++channel)
                sum += samples[index * info.channels + channel];
            pending_[index] = sum * scale;
        }
    }
    // Only the song's part of the timeline is handed out.
    const std::uint64_t frameBegin = decodedTime_;
    decodedTime_ += pending_.size();
    const std::uint64_t keepFrom = std::max(frameBegin, begin_);
    const std::uint64_t keepTo = std::min(decodedTime_, end_);
    if (keepFrom >= keepTo) {
        pending_.clear();
    } else {
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(keepTo - frameBegin),
                       pending_.end());
        pendingAt_ = static_cast<std::size_t>(keepFrom - frameBegin);
    }
    return true;
}

std::int64_t AacDecoder::Read(float* buffer, std::int64_t count) {
    std::int64_t done = 0;
    while (done < count) {
        if (pendingAt_ >= pending_.size()) {
            if (decodedTime_ >= end_ || !DecodeNext())
                break;
            continue;
        }
        const auto now = static_cast<std::size_t>(std::min<std::int64_t>(
            count - done, static_cast<std::int64_t>(pending_.size() - pendingAt_)));
        std::memcpy(buffer + done, pending_.data() + pendingAt_, now * sizeof(float));
        pendingAt_ += now;
        done += static_cast<std::int64_t>(now);
    }
    return done;
}
