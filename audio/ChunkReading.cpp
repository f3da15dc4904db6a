#include "audio/ChunkReading.h"

#include "platform/StdFile.h"

#include <algorithm>

bool skipBytes(std::FILE* stream, std::uint64_t count) {
    if (count == 0)
        return true;
    // Counts come from 32-bit chunk lengths, so they always fit a 64-bit offset and the seek
    // can only go forward.
    if (SeekStdFile(stream, static_cast<std::int64_t>(count), SEEK_CUR) == 0)
        return true;
    return discardBytes(stream, count);
}

bool skipRiffChunkBody(std::FILE* stream, std::uint64_t length) {
    if (!skipBytes(stream, length))
        return false;
    if (length % 2 == 1) {
        const int pad = std::fgetc(stream);
        if (pad != 0 && pad != EOF)
            std::ungetc(pad, stream);
    }
    return true;
}

bool discardBytes(std::FILE* stream, std::uint64_t count) {
    unsigned char scratch[1024];
    while (count > 0) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, 1024));
        std::size_t got = std::fread(scratch, 1, piece, stream);
        if (got == 0)
            return false;
        count -= got;
    }
    return true;
}

std::uint16_t bigEndian16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return (static_cast<std::uint32_t>(bytes[0]) << 24) |
           (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}
