#pragma once
#include "audio/AudioSource.h"

#include <cstdio>

// The RIFF/WAVE reader: integer PCM (8 or 16 bit) and 32-bit float.

// True when count >= 12 and the bytes start "RIFF" .... "WAVE".
bool identifyWav(const unsigned char* header, int count);

// Finds "fmt " and "data" after the 12-byte header and fills the source. False after a
// warning on standard error (unsupported or damaged header); the stream is not rewound.
bool openWav(std::FILE* stream, AudioSource& source, const unsigned char* header, int count);
