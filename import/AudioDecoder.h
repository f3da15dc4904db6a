#pragma once
#include "import/ImportProblem.h"

#include <cstdint>
#include <memory>
#include <string>

// Reads any audio file libsndfile decodes (WAV of every PCM and float kind, AIFF, FLAC, Ogg
// Vorbis, Opus, MP3), AAC in MP4 or ADTS (libfaad2, through AacDecoder) and, on Windows, WMA
// (WmaDecoder) as interleaved float frames, one block at a time, so memory stays the same
// whatever the length. Keeps the decoders' headers out of the rest of the program. The file
// is opened by the platform layer (a UTF-8 name on both systems) and read by libsndfile
// through its virtual I/O.
class AacDecoder;
class FileBytes;
class InputFile;
class WmaDecoder;

class AudioDecoder {
public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens a regular file (a link to one is fine) once, read-only; every check runs on that
    // open file. Yields None, or why it cannot be decoded: Unreadable, NotAudio, Unsupported,
    // Damaged, Empty (a file of no bytes), TagsTooLarge (checked before decoding starts), or
    // what the MP4 reader and the WMA decoder refuse (Fragmented, Protected, AppleLossless,
    // TooLong, WmaNeedsWindows, WmaNeedsMediaFoundation).
    ImportProblem Open(const std::string& path);
    // The open source file, for reading its tags by position (after a successful Open).
    InputFile& input();

    int channels() const { return channels_; }
    int sampleRate() const { return sampleRate_; }
    // Frames the header announces; for MP3 without a length header and for WMA an estimate;
    // for AAC the song's exact length. An Ogg file whose last page is missing (a cut-short
    // download) announces no length at all: then lengthUnknown() and frames() is the largest
    // count.
    std::int64_t frames() const { return frames_; }
    bool lengthUnknown() const { return frames_ == kUnknownLength; }
    static constexpr std::int64_t kUnknownLength = 0x7FFFFFFFFFFFFFFF; // libsndfile's SF_COUNT_MAX
    bool framesEstimated() const { return framesEstimated_; }
    // A plain 16-bit integer PCM WAV file.
    bool pcm16Wav() const { return pcm16Wav_; }

    // Reads up to `count` frames into `buffer` (channels() floats per frame); yields the
    // frames read, 0 at the end or after a decoding error, which failed() then reports.
    std::int64_t Read(float* buffer, std::int64_t count);
    bool failed() const;

private:
    struct Source;

    ImportProblem OpenAac(bool mp4);
    ImportProblem OpenWma(const std::string& path);

    std::unique_ptr<Source> source_; // the file the decoders read, opened by the platform
    std::unique_ptr<FileBytes> bytes_;
    std::unique_ptr<AacDecoder> aac_;
    std::unique_ptr<WmaDecoder> wma_;
    void* file_ = nullptr;           // SNDFILE
    int channels_ = 0;
    int sampleRate_ = 0;
    std::int64_t frames_ = 0;
    bool framesEstimated_ = false;
    bool pcm16Wav_ = false;
};
