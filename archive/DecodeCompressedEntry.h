#pragma once
#include "archive/BlockBuffers.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Result codes of DecodeCompressedEntry besides the block codes of DecompressBlock.
constexpr int kEntryDecoded = 0;
constexpr int kEntryTableUnreadable = -1; // block count or table missing or beyond the archive
constexpr int kEntryBlockTooLarge = -2;   // a block record does not fit the buffers
constexpr int kEntryOutputFailed = -3;    // the output file cannot be created or written

// Extracts one compressed entry (block count, block table, blocks) starting at dataOffset of
// the open archive into outputPath, using the shared buffers. The block table alone decides
// the output; unpackedSize takes no part. Returns kEntryDecoded and leaves the archive
// positioned where it was; otherwise a negative code: a failing block's DecompressBlock
// code (its line goes to standard output) or one of the codes above (a line goes to
// standard error). Blocks decoded before a failure stay in the output file.
int DecodeCompressedEntry(std::FILE* archive, const std::string& outputPath,
                          std::uint32_t unpackedSize, std::uint32_t dataOffset,
                          BlockBuffers& buffers);
