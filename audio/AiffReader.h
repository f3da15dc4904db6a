#pragma once
#include "audio/AudioSource.h"

#include <cstdio>

// The AIFF and uncompressed AIFF-C reader: 8- or 16-bit big-endian integer PCM.

// True when count >= 12 and the bytes start "FORM" .... "AIF" followed by 'C' or 'F'.
bool identifyAiff(const unsigned char* header, int count);

// Finds "COMM" and "SSND" after the 12-byte header and fills the source. False after a
// warning on standard error; the stream is not rewound.
bool openAiff(std::FILE* stream, AudioSource& source, const unsigned char* header, int count);

// The sample rate as an integer, truncated toward zero; 0 when the value is infinite, NaN or
// outside the signed 32-bit range, so the encoder set-up rejects the file.
std::int32_t sampleRateFromExtended80(const unsigned char bytes[10]);
