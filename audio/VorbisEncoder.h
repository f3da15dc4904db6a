#pragma once
#include "audio/EncoderSettings.h"

#include <cstdio>
#include <ogg/ogg.h>

// Encodes the settings' source into one complete Ogg Vorbis stream on settings.output.
// Returns 0 on success, 1 on failure: a rejected set-up writes its message to standard error
// and nothing to the output; a short write goes through onError and leaves a partial stream,
// and so does a stop request (settings.stop), quietly.
// The output is neither closed nor deleted.
int encodeStream(EncoderSettings& settings);

// Sets up libvorbisenc in the settings' quality or bitrate mode, as encodeStream does, on an
// info fresh from vorbis_info_init. False after the matching message on standard error, with
// the info already cleared; the caller then calls vorbis_encode_setup_init itself.
bool setUpEncoderMode(vorbis_info& info, const EncoderSettings& settings);

// Writes the page header, then the body; returns the bytes written (short on a write error).
std::size_t writePage(const ogg_page& page, std::FILE* stream);

// The error callback of the track encoding job: the message between line breaks on stderr.
void printEncodeError(const char* message);
