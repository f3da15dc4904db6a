#pragma once
#include "import/ImportProblem.h"

#include <cstdint>
#include <memory>
#include <string>

// Decodes a WMA (ASF) file as interleaved float frames. On Windows through Media Foundation's
// source reader, loaded at run time so that the program still starts where it is missing (the
// N editions); elsewhere every WMA file is refused (WmaNeedsWindows).
class WmaDecoder {
public:
    WmaDecoder();
    ~WmaDecoder();
    WmaDecoder(const WmaDecoder&) = delete;
    WmaDecoder& operator=(const WmaDecoder&) = delete;

    // Opens a file the caller has checked is a regular file. None, or WmaNeedsWindows,
    // WmaNeedsMediaFoundation, Protected, Unsupported or Damaged.
    ImportProblem Open(const std::string& path);

    int channels() const { return channels_; }
    int sampleRate() const { return sampleRate_; }
    // The length Media Foundation announces (an estimate).
    std::int64_t frames() const { return frames_; }

    // Reads up to `count` frames; 0 at the end or after a failure, which failed() reports.
    std::int64_t Read(float* buffer, std::int64_t count);
    bool failed() const { return failed_; }

private:
    struct System;

    std::unique_ptr<System> system_;
    int channels_ = 0;
    int sampleRate_ = 0;
    std::int64_t frames_ = 0;
    bool failed_ = false;
};
