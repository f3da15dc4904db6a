#include "import/TagArea.h"

#include "platform/InputFile.h"

#include <array>
#include <cstring>

namespace {

bool ReadAt(InputFile& file, std::uint64_t offset, unsigned char* into, std::size_t size) {
    return file.ReadAt(offset, into, size) == static_cast<std::int64_t>(size);
}

std::uint64_t Id3v2Bytes(const unsigned char* head) {
    const unsigned char* size = head + 6; // four 7-bit bytes
    return 10 + ((std::uint64_t{size[0]} & 0x7F) << 21 | (std::uint64_t{size[1]} & 0x7F) << 14 |
                 (std::uint64_t{size[2]} & 0x7F) << 7 | (std::uint64_t{size[3]} & 0x7F));
}

// Sum of the FLAC metadata blocks' lengths, up to the last block.
std::uint64_t FlacMetadataBytes(InputFile& descriptor, std::uint64_t cap) {
    std::uint64_t offset = 4, total = 0;
    for (;;) {
        unsigned char header[4];
        if (!ReadAt(descriptor, offset, header, sizeof header))
            return total;
        const std::uint64_t length =
            std::uint64_t{header[1]} << 16 | std::uint64_t{header[2]} << 8 | header[3];
        total += length;
        offset += 4 + length;
        if ((header[0] & 0x80) != 0 || total > cap)
            return total;
    }
}

// Length of the second packet (the comment header) of the first Ogg stream, from the pages'
// segment tables.
std::uint64_t OggCommentBytes(InputFile& descriptor, std::uint64_t cap) {
    std::uint64_t offset = 0, comment = 0;
    int packet = 0;
    std::array<unsigned char, 27 + 255> page{};
    std::uint32_t serial = 0;
    for (int pages = 0; packet < 2; ++pages) {
        if (!ReadAt(descriptor, offset, page.data(), 27) || std::memcmp(page.data(), "OggS", 4) != 0)
            return comment;
        std::uint32_t pageSerial;
        std::memcpy(&pageSerial, page.data() + 14, 4);
        if (pages == 0)
            serial = pageSerial;
        const std::size_t segments = page[26];
        if (!ReadAt(descriptor, offset + 27, page.data() + 27, segments))
            return comment;
        std::uint64_t body = 0;
        for (std::size_t segment = 0; segment < segments; ++segment) {
            const unsigned char lace = page[27 + segment];
            body += lace;
            if (pageSerial != serial)
                continue;
            if (packet == 1)
                comment += lace;
            if (lace < 255)
                ++packet;
        }
        if (comment > cap)
            return comment;
        offset += 27 + segments + body;
    }
    return comment;
}

} // namespace

std::uint64_t TagAreaBytes(InputFile& descriptor, std::uint64_t cap) {
    unsigned char head[10];
    if (!ReadAt(descriptor, 0, head, sizeof head))
        return 0;
    if (std::memcmp(head, "ID3", 3) == 0)
        return Id3v2Bytes(head);
    if (std::memcmp(head, "fLaC", 4) == 0)
        return FlacMetadataBytes(descriptor, cap);
    if (std::memcmp(head, "OggS", 4) == 0)
        return OggCommentBytes(descriptor, cap);
    return 0;
}
