#pragma once
#include <cstdint>

class InputFile;

// The most tag bytes a file may carry: enough for the tags and cover pictures real files
// hold; beyond it the file is refused (ImportProblem::TagsTooLarge) rather than read.
inline constexpr std::uint64_t kMostTagBytes = 16u << 20;

// How many bytes the tags at the head of an audio file take, read from the headers that frame
// them without reading the tags themselves: an ID3v2 tag (MP3), the metadata blocks of a FLAC
// file, or the comment packet of an Ogg stream (Vorbis, Opus). The decoders read those whole
// into memory, so a file whose tags pass a cap is refused before any decoder sees it.
// Counting stops once `cap` is passed; 0 for a file of another kind or without tags. Reads by
// position only; never fails.
std::uint64_t TagAreaBytes(InputFile& file, std::uint64_t cap);
