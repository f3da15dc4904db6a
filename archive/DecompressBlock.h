#pragma once
#include <cstdint>

// Result codes of DecompressBlock. Success is -12, not 0.
constexpr int kBlockDecoded = -12;
constexpr int kBlockInputOverrun = -4;      // the stream needs bytes beyond the compressed size
constexpr int kBlockOutputOverrun = -5;     // the stream would write beyond the decompressed size
constexpr int kBlockLookBehindOverrun = -6; // a match reaches before the start of the output
constexpr int kBlockInputNotConsumed = -8;  // end marker with input left and output not full

// Largest block the reader's fixed buffers hold.
constexpr std::uint32_t kMaxCompressedBlockSize = 49152;
constexpr std::uint32_t kMaxDecompressedBlockSize = 32768;

// Decodes one LZO1X block of compressedSize bytes at `in` into `out`, which has room for
// decompressedSize bytes. Reads only in[0, compressedSize) and writes only
// out[0, decompressedSize), whatever the stream says. Returns kBlockDecoded, or one of the
// negative codes above on a malformed stream (the output is then partly written). On
// success, output bytes after the produced data up to decompressedSize are zero.
int DecompressBlock(const std::uint8_t* in, std::uint8_t* out, std::uint32_t compressedSize,
                    std::uint32_t decompressedSize);
