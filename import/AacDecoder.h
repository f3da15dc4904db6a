#pragma once
#include "import/AacTrack.h"
#include "import/ImportProblem.h"

#include <cstdint>
#include <vector>

class ByteSource;

// Decodes an AAC track (from Mp4Reader or AdtsReader) with libfaad2, whose header stays in
// AacDecoder.cpp, into mono float samples: channels are averaged, since the number of
// channels may change midway (parametric stereo). Frames are read one at a time, so memory
// stays the same whatever the length. The decoded timeline counts every frame's whole
// duration, as the track's times do; a frame the decoder holds back at its start stands as
// silence there, which the encoder delay then drops.
class AacDecoder {
public:
    AacDecoder();
    ~AacDecoder();
    AacDecoder(const AacDecoder&) = delete;
    AacDecoder& operator=(const AacDecoder&) = delete;

    // Takes the track and sets the decoder up for its configuration; Unsupported when
    // libfaad2 refuses the configuration. `bytes` must outlive the decoder.
    ImportProblem Open(ByteSource& bytes, AacTrack track);

    int sampleRate() const { return outputRate_; }
    // The song's exact length in samples, encoder delay and padding removed.
    std::int64_t frames() const { return static_cast<std::int64_t>(end_ - begin_); }

    // Reads up to `count` mono samples; yields the count, 0 at the end or after a frame that
    // failed to decode or read, which failed() then reports.
    std::int64_t Read(float* buffer, std::int64_t count);
    bool failed() const { return failed_; }

private:
    ImportProblem Start();
    ImportProblem ProbeRate();
    // Decodes the next frame into pending_; false at the end or on failure.
    bool DecodeNext();
    std::uint64_t OutputTime(std::uint64_t trackTime) const;

    ByteSource* bytes_ = nullptr;
    AacTrack track_;
    void* decoder_ = nullptr; // NeAACDecHandle
    int outputRate_ = 0;
    std::uint64_t begin_ = 0, end_ = 0; // the song within the decoded timeline
    std::size_t nextFrame_ = 0;
    std::uint64_t trackTime_ = 0;   // start of the next frame, in track units
    std::uint64_t decodedTime_ = 0; // decoded samples so far, in output samples
    std::vector<float> pending_;    // samples of the last frame not yet read
    std::size_t pendingAt_ = 0;
    std::vector<unsigned char> frame_;
    bool failed_ = false;
};
