#pragma once
#include <string>

// Why a file did not become a song. Each has one message naming the file.
enum class ImportProblem {
    None,
    Unreadable,  // missing, not a regular file, or no permission to read it
    NotAudio,    // no audio format at all
    Unsupported, // an audio format this program cannot decode
    Damaged,     // a readable format whose content is broken or cut short
    Empty,       // no samples at all
    TooLong,     // over the thirty minutes a song may last
    TagsTooLarge, // tags over kMostTagBytes (16 MiB), which the decoders would read whole
    CannotWrite, // the converted song could not be written
    Cancelled,
    Fragmented,     // a fragmented MP4 file (moof boxes), as streamed or recorded in pieces
    Protected,      // copy-protected (DRM): encrypted AAC or WMA
    AppleLossless,  // ALAC in an MP4 file
    WmaNeedsWindows, // WMA on a system without Windows' decoder
    WmaNeedsMediaFoundation, // WMA on a Windows without Media Foundation (the N editions)
};

// The message for a problem, naming the source file; empty for None.
std::string ImportProblemText(ImportProblem problem, const std::string& source);
