#pragma once
#include "tests/support/AacFixture.h"

#include <cstdint>
#include <string>

// How a test MP4 file is laid out: where its delay and length are told, and the variants the
// importer refuses.
struct Mp4Layout {
    enum class Gapless { None, EditList, ITunSmpb, Both };
    Gapless gapless = Gapless::EditList;
    std::uint64_t delay = kAacPriming; // samples of priming to drop
    std::uint64_t length = 0;          // the song's samples; 0: everything after the delay
    std::string sampleEntry = "mp4a";  // "enca", "drms" or "alac" for the refused kinds
    bool sinf = false;                 // a protection box inside the mp4a entry
    bool movieExtends = false;         // moov/mvex, as fragmented files have
    bool fragment = false;             // a top-level moof box
    bool wideOffsets = false;          // co64 instead of stco
    int framesPerChunk = 7;
    std::string artist, title; // iTunes tags in udta/meta/ilst
};

// An MP4 file (ftyp, moov, mdat) holding the frames as the first and only audio track, with
// the sample tables, the media timescale equal to the rate, and the tags asked for.
std::string Mp4File(const AacFrames& aac, const Mp4Layout& layout);

// The offset of the first box of the given type in a file made by Mp4File (its size field).
std::size_t BoxAt(const std::string& file, const char* type);
