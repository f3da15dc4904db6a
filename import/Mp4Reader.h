#pragma once
#include "import/AacTrack.h"
#include "import/ImportProblem.h"

class ByteSource;

// Reads the first audio track of an MP4 file (.m4a, .mp4) for the AAC decoder: the boxes
// moov/trak/mdia/minf/stbl, the sample entry (mp4a with its esds), the sample tables
// (stts, stsc, stsz, stco or co64) and the mdhd timescale. The encoder delay and the song's
// real length come from the edit list (edts/elst) or else iTunes' iTunSMPB comment.
// The input is hostile: every size is bounded by the bytes that exist and by its parent box,
// nesting is limited, and no table is believed beyond the bytes that hold it.
class Mp4Reader {
public:
    // None with `track` filled, or why not: Fragmented (moof or mvex), Protected (enca, drms
    // or sinf), AppleLossless (alac), Unsupported (another codec), NotAudio (no audio track),
    // TooLong (more frames than any 30-minute song has) or Damaged (anything malformed).
    static ImportProblem Read(ByteSource& bytes, AacTrack& track);
};
