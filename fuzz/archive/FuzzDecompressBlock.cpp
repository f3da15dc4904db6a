// Input: two bytes of decompressed size (little-endian, up to 32768), then the stream.
// Both buffers are exactly as large as stated, so any access outside them is reported.
#include "archive/DecompressBlock.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint32_t decompressedSize =
        (data[0] | (data[1] << 8)) % (kMaxDecompressedBlockSize + 1);
    const std::vector<std::uint8_t> in(data + 2, data + size);
    std::vector<std::uint8_t> out(decompressedSize);
    const int code = DecompressBlock(in.data(), out.data(), static_cast<std::uint32_t>(in.size()),
                                     decompressedSize);
    switch (code) {
    case kBlockDecoded:
    case kBlockInputOverrun:
    case kBlockOutputOverrun:
    case kBlockLookBehindOverrun:
    case kBlockInputNotConsumed:
        return 0;
    default:
        std::abort(); // an undocumented result code
    }
}
