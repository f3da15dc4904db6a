#pragma once
#include "audio/PcmFileReader.h"

#include <cstdint>

// Sample conversion from the reader state's stream. Neither read fails: a read error or the
// end of the sound data shows as fewer frames, finally 0. Frames beyond totalFrames (when not
// 0) are never delivered, and a trailing partial frame is dropped.

// 8-bit (unsigned in WAV, signed in AIFF) and 16-bit integer PCM scaled to -1.0 .. <1.0.
std::int32_t readPcmFrames(PcmFileReader* state, float** channels, std::int32_t frames);

// 32-bit little-endian IEEE float samples, passed on unchanged.
std::int32_t readFloatFrames(PcmFileReader* state, float** channels, std::int32_t frames);

// The 80-bit big-endian extended value of an AIFF sample rate. Exponent 32767 gives an
// infinity; otherwise the sign bit is ignored. Never fails.
double readExtended80(const unsigned char bytes[10]);
