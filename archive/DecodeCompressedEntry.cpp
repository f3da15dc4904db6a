#include "archive/DecodeCompressedEntry.h"

#include "archive/ArchiveIo.h"
#include "archive/DecompressBlock.h"
#include "common/LittleEndian.h"
#include "platform/StdFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct BlockRecord {
    std::uint32_t compressedSize;
    std::uint32_t decompressedSize;
    std::uint32_t offset; // from the first byte after the block table
};

constexpr std::uint64_t kBlockRecordSize = 12;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

const char* BlockFailureLine(int code) {
    switch (code) {
    case kBlockInputOverrun:
        return "-4: ptr > sbuff.\n";
    case kBlockOutputOverrun:
        return "-5: ptr > obuff.\n";
    case kBlockLookBehindOverrun:
        return "-6: ptr < obuff.\n";
    default:
        return "-8: sbuff ptr is valid. control byte is not.\n";
    }
}

// Reads the block count and table; the count is checked against the bytes that remain so
// that a hostile count cannot size the allocation.
bool ReadBlockTable(std::FILE* archive, std::uint32_t dataOffset,
                    std::vector<BlockRecord>& records) {
    const auto length = OpenFileLength(archive);
    std::uint32_t count = 0;
    if (!length || SeekStdFile(archive, dataOffset, SEEK_SET) != 0 || !ReadUint32LE(archive, count))
        return false;
    const std::uint64_t tableStart = std::uint64_t{dataOffset} + 4;
    if (*length < tableStart || (*length - tableStart) / kBlockRecordSize < count)
        return false;
    std::vector<std::uint8_t> table(count * kBlockRecordSize);
    if (std::fread(table.data(), 1, table.size(), archive) != table.size())
        return false;
    records.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* record = table.data() + i * kBlockRecordSize;
        records[i] = {LittleEndian32(record), LittleEndian32(record + 4),
                      LittleEndian32(record + 8)};
    }
    return true;
}

// Every block lies within the archive, none overlaps or repeats another, and the whole
// cannot unpack to more than its compressed bytes allow; kEntryDecoded when so.
int CheckBlocks(std::vector<BlockRecord> blocks, std::uint64_t blocksStart,
                std::uint64_t archiveLength, std::uint32_t unpackedSize) {
    std::uint64_t compressed = 0;
    std::uint64_t decompressed = 0;
    for (const BlockRecord& block : blocks) {
        if (block.compressedSize > kMaxCompressedBlockSize ||
            block.decompressedSize > kMaxDecompressedBlockSize)
            return kEntryBlockTooLarge;
        if (blocksStart + block.offset + block.compressedSize > archiveLength)
            return kEntryBlockBeyondArchive;
        compressed += block.compressedSize;
        decompressed += block.decompressedSize;
    }
    std::sort(blocks.begin(), blocks.end(), [](const BlockRecord& a, const BlockRecord& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.compressedSize < b.compressedSize;
    });
    for (std::size_t i = 1; i < blocks.size(); ++i)
        if (blocks[i].offset < std::uint64_t{blocks[i - 1].offset} + blocks[i - 1].compressedSize ||
            blocks[i].offset == blocks[i - 1].offset)
            return kEntryBlocksOverlap;
    if (decompressed > kMaxEntrySize || unpackedSize > kMaxEntrySize)
        return kEntryTooLarge;
    if (decompressed > kMaxExpansion * compressed)
        return kEntryExpandsTooMuch;
    return kEntryDecoded;
}

// Decodes one block into the output buffer; returns the block's result code or a
// refusal of a block larger than the buffers.
int DecodeBlock(std::FILE* archive, const BlockRecord& block, std::uint64_t blocksStart,
                BlockBuffers& buffers) {
    if (block.compressedSize > buffers.input.size() ||
        block.decompressedSize > kMaxDecompressedBlockSize ||
        block.decompressedSize > buffers.output.size())
        return kEntryBlockTooLarge;
    std::memset(buffers.output.data(), 0, block.decompressedSize);
    // The block was checked to lie within the archive, so a short read is a read error.
    if (SeekStdFile(archive, static_cast<std::int64_t>(blocksStart + block.offset), SEEK_SET) !=
            0 ||
        std::fread(buffers.input.data(), 1, block.compressedSize, archive) != block.compressedSize)
        return kEntryTableUnreadable;
    return DecompressBlock(buffers.input.data(), buffers.output.data(), block.compressedSize,
                           block.decompressedSize);
}

// Where the decoding of the blocks reports, and what it asks between them.
struct BlockHooks {
    std::FILE* lines;
    const CancelCheck& cancelled;
};

int WriteBlocks(std::FILE* archive, const std::vector<BlockRecord>& records,
                std::uint64_t blocksStart, BlockBuffers& buffers, std::FILE* output,
                const BlockHooks& hooks) {
    for (const BlockRecord& block : records) {
        if (CancelWanted(hooks.cancelled))
            return kEntryCancelled;
        const int code = DecodeBlock(archive, block, blocksStart, buffers);
        if (code == kEntryBlockTooLarge || code == kEntryTableUnreadable)
            return code;
        if (code != kBlockDecoded) {
            std::fputs(BlockFailureLine(code), hooks.lines);
            return code;
        }
        if (std::fwrite(buffers.output.data(), 1, block.decompressedSize, output) !=
            block.decompressedSize) {
            std::perror("unpack:fwrite(output)");
            return kEntryOutputFailed;
        }
    }
    return kEntryDecoded;
}

} // namespace

const char* EntryRefusalText(int code) {
    switch (code) {
    case kEntryTableUnreadable:
        return "block table unreadable or larger than the archive";
    case kEntryBlockTooLarge:
        return "block larger than the buffers";
    case kEntryOutputFailed:
        return "output file cannot be written";
    case kEntryBlockBeyondArchive:
        return "a block reaches past the end of the archive";
    case kEntryBlocksOverlap:
        return "blocks overlap or repeat";
    case kEntryExpandsTooMuch:
        return "unpacks to more than 256 times its compressed bytes";
    case kEntryTooLarge:
        return "larger than 2 GiB";
    case kEntryCancelled:
        return "cancelled";
    default:
        return "a block cannot be decoded";
    }
}

int DecodeCompressedEntry(std::FILE* archive, const std::string& outputPath,
                          std::uint32_t unpackedSize, std::uint32_t dataOffset,
                          BlockBuffers& buffers, std::FILE* blockLines,
                          const CancelCheck& cancelled, SystemError* outputError) {
    const std::int64_t noted = TellStdFile(archive);
    const auto archiveLength = OpenFileLength(archive);
    std::vector<BlockRecord> records;
    if (noted < 0 || !archiveLength || !ReadBlockTable(archive, dataOffset, records))
        return kEntryTableUnreadable;
    const std::uint64_t blocksStart =
        std::uint64_t{dataOffset} + 4 + kBlockRecordSize * records.size();
    if (const int refused = CheckBlocks(records, blocksStart, *archiveLength, unpackedSize);
        refused != kEntryDecoded)
        return refused;
    OutputFile output(CreateOutputFile(outputPath, outputError));
    if (!output)
        return kEntryOutputFailed;
    const int code = WriteBlocks(archive, records, blocksStart, buffers, output.get(),
                                 BlockHooks{blockLines, cancelled});
    if (code != kEntryDecoded)
        return code;
    if (std::fclose(output.release()) != 0) {
        std::perror("unpack:fwrite(output)");
        return kEntryOutputFailed;
    }
    if (SeekStdFile(archive, noted, SEEK_SET) != 0)
        return kEntryTableUnreadable;
    return kEntryDecoded;
}
