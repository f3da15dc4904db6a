#pragma once
#include "archive/BlockBuffers.h"
#include "common/CancelCheck.h"
#include "platform/SystemError.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Result codes of DecodeCompressedEntry besides the block codes of DecompressBlock.
constexpr int kEntryDecoded = 0;
constexpr int kEntryTableUnreadable = -1;    // block count or table missing or beyond the archive
constexpr int kEntryBlockTooLarge = -2;      // a block record does not fit the buffers
constexpr int kEntryOutputFailed = -3;       // the output file cannot be created or written
constexpr int kEntryBlockBeyondArchive = -7; // a block reaches past the end of the archive
constexpr int kEntryBlocksOverlap = -9;      // two blocks overlap or one is listed twice
constexpr int kEntryExpandsTooMuch = -10;    // more than kMaxExpansion times its blocks' bytes
constexpr int kEntryTooLarge = -11;          // would unpack to more than kMaxEntrySize bytes
constexpr int kEntryCancelled = -12;         // the cancel check answered true between blocks

// LZO1X's longest match grows by 255 bytes for each further input byte, so no real block
// unpacks to more than about 256 times its size; an entry that claims more is a bomb.
constexpr std::uint64_t kMaxExpansion = 256;
// No file of a music pack or the game's music comes near this.
constexpr std::uint64_t kMaxEntrySize = std::uint64_t{1} << 31;

// Extracts one compressed entry (block count, block table, blocks) starting at dataOffset of
// the open archive into outputPath, using the shared buffers. The block table alone decides
// the output; unpackedSize is only held against kMaxEntrySize. Before anything is created
// the table is refused when a block reaches past the end of the archive, blocks overlap or
// repeat, or the entry would unpack to more than kMaxEntrySize or kMaxExpansion times the
// bytes of its blocks. Returns kEntryDecoded and leaves the archive positioned where it
// was; otherwise a negative code: a failing block's DecompressBlock code (its line goes to
// blockLines) or one of the codes above (nothing is printed; EntryRefusalText names it).
// cancelled is asked before each block. Blocks decoded before a failure stay in the output
// file. When the output file cannot be created, outputError (when given) tells why.
int DecodeCompressedEntry(std::FILE* archive, const std::string& outputPath,
                          std::uint32_t unpackedSize, std::uint32_t dataOffset,
                          BlockBuffers& buffers, std::FILE* blockLines = stdout,
                          const CancelCheck& cancelled = {}, SystemError* outputError = nullptr);

// What a negative code of DecodeCompressedEntry refused or met, for a diagnostic.
const char* EntryRefusalText(int code);
