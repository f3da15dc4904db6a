#pragma once
#include "audio/AudioSource.h"

#include <cstdio>

// The RIFF/WAVE reader: integer PCM (8 or 16 bit) and 32-bit float.

// True when the reader reads samples of this format chunk: integer PCM of 8 or 16 bits or
// 32-bit float, 1 to 32767 channels, block align equal to channels times sample bytes.
bool isSupportedWavEncoding(int formatTag, int channels, int blockAlign, int bitsPerSample);

// True when count >= 12 and the bytes start "RIFF" .... "WAVE".
bool identifyWav(const unsigned char* header, int count);

// Finds "fmt " and "data" after the 12-byte header and fills the source. False after a
// warning on standard error (unsupported or damaged header); the stream is not rewound.
bool openWav(std::FILE* stream, AudioSource& source, const unsigned char* header, int count);
