#pragma once
#include "archive/DecompressBlock.h"

#include <cstdint>
#include <vector>

// The two buffers one extraction shares between all its compressed entries: one block's
// compressed stream, and its decoded bytes plus 4 spare bytes.
struct BlockBuffers {
    std::vector<std::uint8_t> input = std::vector<std::uint8_t>(kMaxCompressedBlockSize);
    std::vector<std::uint8_t> output = std::vector<std::uint8_t>(kMaxDecompressedBlockSize + 4);
};
