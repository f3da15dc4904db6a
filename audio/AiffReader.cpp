#include "audio/AiffReader.h"

#include "audio/ChunkReading.h"
#include "audio/SampleReading.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// The COMM fields used: channels, frames, bits, rate (18 bytes) and the AIFF-C compression
// type (4 more). Longer bodies are read through and discarded, never buffered whole.
constexpr std::uint32_t kCommonBytesUsed = 22;

struct CommonChunk {
    std::int16_t channels;
    std::uint32_t frames;
    std::int16_t bitsPerSample;
    std::int32_t rate;
};

// Skips chunks until one with the wanted identifier; odd lengths are padded to even.
std::optional<std::uint32_t> findAiffChunk(std::FILE* stream, const char* wanted) {
    for (;;) {
        unsigned char header[8];
        if (std::fread(header, 1, 8, stream) < 8) {
            std::fprintf(stderr, "Warning: Unexpected EOF in AIFF chunk\n");
            return std::nullopt;
        }
        std::uint32_t length = bigEndian32(header + 4);
        if (std::memcmp(header, wanted, 4) == 0)
            return length;
        if (!skipBytes(stream, std::uint64_t{length} + (length & 1)))
            return std::nullopt;
    }
}

std::optional<CommonChunk> readCommonChunk(std::FILE* stream, bool aifc) {
    auto length = findAiffChunk(stream, "COMM");
    if (!length) {
        std::fprintf(stderr, "Warning: No common chunk found in AIFF file\n");
        return std::nullopt;
    }
    if (*length < 18) {
        std::fprintf(stderr, "Warning: Truncated common chunk in AIFF header\n");
        return std::nullopt;
    }
    unsigned char body[kCommonBytesUsed] = {};
    std::uint32_t kept = std::min(*length, kCommonBytesUsed);
    if (std::fread(body, 1, kept, stream) < kept || !discardBytes(stream, *length - kept)) {
        std::fprintf(stderr, "Warning: Unexpected EOF in reading AIFF header\n");
        return std::nullopt;
    }
    if (aifc) {
        if (*length < 22) {
            std::fprintf(stderr, "Warning: AIFF-C header truncated.\n");
            return std::nullopt;
        }
        if (std::memcmp(body + 18, "NONE", 4) != 0) {
            std::fprintf(stderr, "Warning: Can't handle compressed AIFF-C\n");
            return std::nullopt;
        }
    }
    return CommonChunk{static_cast<std::int16_t>(bigEndian16(body)), bigEndian32(body + 2),
                       static_cast<std::int16_t>(bigEndian16(body + 6)),
                       sampleRateFromExtended80(body + 8)};
}

// Returns the data offset of the sound data chunk, with the stream after its 8-byte prefix.
std::optional<std::uint32_t> readSoundDataHeader(std::FILE* stream, std::uint32_t& blockSize) {
    auto length = findAiffChunk(stream, "SSND");
    if (!length) {
        std::fprintf(stderr, "Warning: No SSND chunk found in AIFF file\n");
        return std::nullopt;
    }
    if (*length < 8) {
        std::fprintf(stderr, "Warning: Corrupted SSND chunk in AIFF header\n");
        return std::nullopt;
    }
    unsigned char prefix[8];
    if (std::fread(prefix, 1, 8, stream) < 8) {
        std::fprintf(stderr, "Warning: Unexpected EOF reading AIFF header\n");
        return std::nullopt;
    }
    blockSize = bigEndian32(prefix + 4);
    return bigEndian32(prefix);
}

} // namespace

bool identifyAiff(const unsigned char* header, int count) {
    return count >= 12 && std::memcmp(header, "FORM", 4) == 0 &&
           std::memcmp(header + 8, "AIF", 3) == 0 && (header[11] == 'C' || header[11] == 'F');
}

std::int32_t sampleRateFromExtended80(const unsigned char bytes[10]) {
    double rate = std::trunc(readExtended80(bytes));
    if (!std::isfinite(rate) || rate < std::numeric_limits<std::int32_t>::min() ||
        rate > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(rate);
}

bool openAiff(std::FILE* stream, AudioSource& source, const unsigned char* header, int) {
    const bool aifc = header[11] == 'C';
    auto common = readCommonChunk(stream, aifc);
    if (!common)
        return false;
    std::uint32_t blockSize = 0;
    auto dataOffset = readSoundDataHeader(stream, blockSize);
    if (!dataOffset)
        return false;
    // A channel count below 1 would make every frame size 0.
    bool supported = blockSize == 0 && common->channels >= 1 &&
                     (common->bitsPerSample == 8 || common->bitsPerSample == 16);
    if (!supported) {
        std::fprintf(stderr, "Warning: Sonvex does not support this type of AIFF/AIFC file\n"
                             " Must be 8 or 16 bit PCM.\n");
        return false;
    }

    const auto frames = static_cast<std::int32_t>(
        std::min<std::uint32_t>(common->frames, std::numeric_limits<std::int32_t>::max()));
    source.rate = common->rate;
    source.channels = common->channels;
    source.totalFrames = frames;
    source.read = readPcmFrames;

    auto reader = std::make_unique<PcmFileReader>();
    reader->stream = stream;
    reader->channels = common->channels;
    reader->bitsPerSample = common->bitsPerSample;
    reader->totalFrames = frames;
    reader->bigEndian = 1;
    source.readerState = std::move(reader);
    skipBytes(stream, *dataOffset); // unchecked: a short file simply yields no frames
    return true;
}
