#include "playback/SongFileSource.h"

#include "audio/InputFormat.h"
#include "platform/StdFile.h"

#include <algorithm>
#include <limits>

namespace {

// The readers deliver at most this many frames a call.
constexpr std::int64_t kMaxFramesPerRead = std::numeric_limits<std::int32_t>::max();

} // namespace

SongFileSource::SongFileSource(std::string path) : path_(std::move(path)) {}

SongFileSource::~SongFileSource() {
    if (format_)
        format_->close(source_.readerState);
    if (file_)
        std::fclose(file_);
}

std::unique_ptr<SongFileSource> SongFileSource::Open(const std::string& path,
                                                     std::string& problem) {
    std::unique_ptr<SongFileSource> source(new SongFileSource(path));
    if (!source->OpenFile(problem))
        return nullptr;
    return source;
}

bool SongFileSource::OpenFile(std::string& problem) {
    const std::string head = "Cannot play " + path_ + ": ";
    file_ = OpenRegularStdFile(path_);
    const auto length = file_ ? OpenFileLength(file_) : std::nullopt;
    if (!length) {
        problem = head + "it cannot be read.";
        return false;
    }
    format_ = openAudioFile(file_, source_);
    dataStart_ = format_ ? TellStdFile(file_) : -1;
    if (!format_ || source_.rate <= 0 || dataStart_ < 0) {
        problem = head + "it is not a WAV or AIFF file the build reads.";
        return false;
    }
    if (source_.channels != 1) {
        problem = head + "it is not mono.";
        return false;
    }
    PcmFileReader& reader = *source_.readerState;
    frameBytes_ = reader.bitsPerSample / 8;
    const std::int64_t inFile =
        (static_cast<std::int64_t>(*length) - dataStart_) / std::max<std::int64_t>(frameBytes_, 1);
    frames_ = std::clamp<std::int64_t>(
        inFile, 0, source_.totalFrames > 0 ? source_.totalFrames : kMaxFramesPerRead);
    reader.totalFrames = static_cast<std::int32_t>(frames_);
    return true;
}

bool SongFileSource::Seek(std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, frames_);
    if (SeekStdFile(file_, dataStart_ + frame * frameBytes_, SEEK_SET) != 0) {
        problem_ = "Cannot play " + path_ + ": it cannot be read.";
        return false;
    }
    source_.readerState->framesRead = static_cast<std::int32_t>(frame);
    position_ = frame;
    return true;
}

std::int64_t SongFileSource::Read(float* samples, std::int64_t count) {
    const auto wanted = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(frames_ - position_, 0, std::min(count, kMaxFramesPerRead)));
    if (wanted == 0)
        return 0;
    float* channels[] = {samples};
    const std::int32_t got = source_.read(source_.readerState.get(), channels, wanted);
    position_ += got;
    return got;
}
