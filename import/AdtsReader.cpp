#include "import/AdtsReader.h"

#include "import/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr int kMostId3Tags = 8;
constexpr std::uint32_t kSamplesPerFrame = 1024;
constexpr std::uint32_t kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                    22050, 16000, 12000, 11025, 8000,  7350};

struct Header {
    unsigned profile = 0; // object type - 1
    unsigned rateIndex = 0;
    unsigned channels = 0; // channel configuration
    std::uint32_t headerBytes = 0;
    std::uint32_t frameBytes = 0;
    unsigned blocks = 0; // raw data blocks - 1
};

bool Sync(const unsigned char* head) {
    return head[0] == 0xFF && (head[1] & 0xF6) == 0xF0;
}

Header Parse(const unsigned char* head) {
    Header header;
    header.profile = head[2] >> 6;
    header.rateIndex = (head[2] >> 2) & 0x0F;
    header.channels = (head[2] & 1) << 2 | head[3] >> 6;
    header.headerBytes = (head[1] & 1) ? 7 : 9;
    header.frameBytes = (head[3] & 3u) << 11 | unsigned(head[4]) << 3 | head[5] >> 5;
    header.blocks = head[6] & 3;
    return header;
}

// A tag that may close the stream.
bool TrailingTag(ByteSource& bytes, std::uint64_t at) {
    char head[8] = {};
    const std::uint64_t left = bytes.Size() - at;
    if (!bytes.ReadAt(at, head, static_cast<std::size_t>(std::min<std::uint64_t>(8, left))))
        return false;
    return std::memcmp(head, "TAG", 3) == 0 || std::memcmp(head, "APETAGEX", 8) == 0 ||
           std::memcmp(head, "LYRICS", 6) == 0 || std::memcmp(head, "ID3", 3) == 0;
}

} // namespace

bool AdtsReader::StartsWithFrame(ByteSource& bytes, std::uint64_t* at) {
    std::uint64_t offset = 0;
    unsigned char head[10];
    for (int tag = 0; tag <= kMostId3Tags; ++tag) {
        if (!bytes.ReadAt(offset, head, 7))
            return false;
        if (Sync(head)) {
            if (at)
                *at = offset;
            return true;
        }
        if (std::memcmp(head, "ID3", 3) != 0 || !bytes.ReadAt(offset, head, 10))
            return false;
        std::uint64_t size = 0;
        for (int index = 6; index < 10; ++index) {
            if (head[index] & 0x80)
                return false;
            size = size << 7 | head[index];
        }
        offset += 10 + size + ((head[5] & 0x10) ? 10 : 0); // a footer doubles the header
    }
    return false;
}

ImportProblem AdtsReader::Read(ByteSource& bytes, AacTrack& track) {
    std::uint64_t at = 0;
    if (!StartsWithFrame(bytes, &at))
        return ImportProblem::Damaged;
    unsigned char head[7];
    Header first;
    std::vector<AacFrame> frames;
    while (bytes.Size() - at >= 7) {
        if (!bytes.ReadAt(at, head, sizeof head))
            return ImportProblem::Damaged;
        if (!Sync(head)) {
            if (frames.empty() || !TrailingTag(bytes, at))
                return ImportProblem::Damaged;
            break;
        }
        const Header header = Parse(head);
        if (frames.empty())
            first = header;
        if (header.frameBytes <= header.headerBytes || header.frameBytes > bytes.Size() - at ||
            header.rateIndex >= std::size(kRates) || header.rateIndex != first.rateIndex ||
            header.channels != first.channels || header.profile != first.profile)
            return ImportProblem::Damaged;
        if (header.blocks != 0)
            return ImportProblem::Unsupported;
        if (frames.size() == kMostAacFrames)
            return ImportProblem::TooLong;
        frames.push_back(AacFrame{at + header.headerBytes, header.frameBytes - header.headerBytes,
                                  kSamplesPerFrame});
        at += header.frameBytes;
    }
    if (bytes.Size() != at && (frames.empty() || !TrailingTag(bytes, at)))
        return ImportProblem::Damaged;
    if (frames.empty())
        return ImportProblem::Damaged;
    // The AudioSpecificConfig the header stands for: object type, rate index, channels.
    const unsigned objectType = first.profile + 1;
    track.decoderConfig = {
        static_cast<unsigned char>(objectType << 3 | first.rateIndex >> 1),
        static_cast<unsigned char>((first.rateIndex & 1) << 7 | first.channels << 3)};
    track.timescale = kRates[first.rateIndex];
    track.frames = std::move(frames);
    track.start = 0;
    track.length = UINT64_MAX;
    return ImportProblem::None;
}
