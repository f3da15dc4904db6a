#pragma once
#include "audio/AudioSource.h"

#include <cstdio>
#include <memory>

// One reader of the input format table.
struct InputFormat {
    bool (*identify)(const unsigned char* header, int count);
    int headerBytes;
    // Parses the rest of the header and fills the source; false after a message on standard
    // error. On success the stream stands at the first byte of sound data.
    bool (*open)(std::FILE* stream, AudioSource& source, const unsigned char* header, int count);
    void (*close)(std::unique_ptr<PcmFileReader>& readerState); // never closes the stream
    const char* name;
    const char* description;
};

// The readers in search order; a row with a null identify test ends the table.
extern const InputFormat InputFormatTable[];

// Reads the first header bytes and opens the stream with the first reader that accepts them.
// Returns that row (source filled, stream at the sound data) or nullptr when no reader does;
// the readers' warnings go to standard error. Call the row's close on source.readerState.
const InputFormat* openAudioFile(std::FILE* stream, AudioSource& source);
