#pragma once
#include "audio/AudioSource.h"
#include "playback/PlaybackSource.h"

#include <cstdio>
#include <memory>
#include <string>

struct InputFormat;

// A slot's source song played as it is: the mono WAV or AIFF file the build takes, read
// through the build's own readers.
class SongFileSource final : public PlaybackSource {
public:
    // Reads the file's header. Null, with problem set, when the file cannot be read as a
    // regular file ("Cannot play PATH: it cannot be read."), no reader of the build takes it
    // ("...: it is not a WAV or AIFF file the build reads.") or it is not mono ("...: it is
    // not mono."). The readers' warnings go to standard error.
    static std::unique_ptr<SongFileSource> Open(const std::string& path, std::string& problem);
    ~SongFileSource() override;
    SongFileSource(const SongFileSource&) = delete;
    SongFileSource& operator=(const SongFileSource&) = delete;

    std::int32_t Rate() const override { return source_.rate; }
    // The header's length, bounded by the bytes the file holds.
    std::int64_t Frames() const override { return frames_; }
    // Fails only when the file cannot be positioned.
    bool Seek(std::int64_t frame) override;
    // A read error ends the song early; never -1.
    std::int64_t Read(float* samples, std::int64_t count) override;
    std::string Problem() const override { return problem_; }

private:
    explicit SongFileSource(std::string path);
    bool OpenFile(std::string& problem);

    std::string path_;
    std::FILE* file_ = nullptr;
    const InputFormat* format_ = nullptr;
    AudioSource source_;
    std::int64_t dataStart_ = 0;
    std::int64_t frameBytes_ = 0;
    std::int64_t frames_ = 0;
    std::int64_t position_ = 0;
    std::string problem_;
};
