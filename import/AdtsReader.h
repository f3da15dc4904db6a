#pragma once
#include "import/AacTrack.h"
#include "import/ImportProblem.h"

class ByteSource;

// Reads a raw AAC stream (.aac): an ID3v2 tag or more at the head are skipped, then ADTS frames
// follow one another, each with its sync word and a header-declared length that must fit in
// the bytes left. After the last frame only a tag (ID3v1, APE, Lyrics3) may follow. Raw
// streams carry no encoder delay: the track keeps everything.
class AdtsReader {
public:
    // Where the first frame starts after any ID3v2 tags, when it is an ADTS sync word.
    static bool StartsWithFrame(ByteSource& bytes, std::uint64_t* at = nullptr);
    // None with `track` filled, or Damaged (a broken or cut-short frame, a change of rate or
    // channels midway), Unsupported (several blocks in a frame) or TooLong (more frames than a
    // 30-minute song has).
    static ImportProblem Read(ByteSource& bytes, AacTrack& track);
};
