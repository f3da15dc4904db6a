#pragma once
#include "audio/AudioSource.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vorbis/codec.h>

// Everything encodeStream needs for one stream, filled by the caller. Callbacks default to
// doing nothing.
struct EncoderSettings {
    vorbis_comment* comments = nullptr; // borrowed; nullptr writes no user comments
    std::int32_t serialNumber = 0;
    ReadFramesFunction read = nullptr;
    std::function<void(const std::string& outputName, std::int32_t totalFrames,
                       std::int64_t framesSoFar, double elapsedSeconds)>
        onProgress = [](const std::string&, std::int32_t, std::int64_t, double) {};
    std::function<void(const std::string& outputName, double elapsedSeconds, std::int32_t rate,
                       std::int64_t framesSoFar, std::int64_t bytesWritten)>
        onEnd = [](const std::string&, double, std::int32_t, std::int64_t, std::int64_t) {};
    std::function<void(const std::string& inputName, const std::string& outputName,
                       std::int32_t nominalBitrate, float quality, std::int32_t qualitySet,
                       std::int32_t managed, std::int32_t minBitrate, std::int32_t maxBitrate)>
        onStart = [](const std::string&, const std::string&, std::int32_t, float, std::int32_t,
                     std::int32_t, std::int32_t, std::int32_t) {};
    std::function<void(const char* message)> onError = [](const char*) {};
    PcmFileReader* readerState = nullptr; // borrowed from the AudioSource
    std::int32_t totalFrames = 0;
    std::int32_t channels = 0;
    std::int32_t rate = 0;
    std::int32_t managed = 0;         // bitrate management requested
    std::int32_t nominalBitrate = -1; // kbit/s; -1 = none
    std::int32_t minBitrate = -1;     // kbit/s; -1 = none
    std::int32_t maxBitrate = -1;     // kbit/s; -1 = none
    float quality = 0.4f;             // libvorbisenc quality
    std::int32_t qualitySet = 1;      // positive: quality (variable bitrate) mode
    std::FILE* output = nullptr;      // borrowed, open for binary writing
    std::string outputName;           // for the callbacks only
    std::string inputName;            // for the callbacks only
    // Seen between blocks: once it is set the encode ends with result 1 and a partial stream.
    const std::atomic<bool>* stop = nullptr;
};
