#pragma once
#include "audio/PcmFileReader.h"

#include <cstdint>
#include <memory>

// Delivers up to `frames` frames as floats, frame i of channel j into channels[j][i]. Returns
// the frames delivered; 0 means the end of the sound data. Never fails: a read error or end
// of file shows as fewer frames.
using ReadFramesFunction = std::int32_t (*)(PcmFileReader* state, float** channels,
                                            std::int32_t frames);

// What a reader's open operation learned about a source, and how to read it.
struct AudioSource {
    ReadFramesFunction read = nullptr;
    std::unique_ptr<PcmFileReader> readerState; // released by the row's close operation
    std::int32_t totalFrames = 0;               // frames per channel; 0 means unknown
    std::int32_t channels = 0;
    std::int32_t rate = 0; // Hz; 0 when the header's rate has no usable integer value
};
