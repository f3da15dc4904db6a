#include "audio/WavReader.h"

#include "audio/ChunkReading.h"
#include "audio/SampleReading.h"
#include "platform/StdFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr int kFormatPcm = 1;
constexpr int kFormatFloat = 3;

struct WavFormat {
    int formatTag;
    int channels;
    std::uint32_t rate;
    int blockAlign;
    int bitsPerSample;
};

void warnEof() {
    std::fprintf(stderr, "Warning: Unexpected EOF in reading WAV header\n");
}

// Skips chunks until one with the wanted identifier; returns its length with the stream at
// its first data byte. The pad byte after an odd length is skipped when there is one.
std::optional<std::uint32_t> findWavChunk(std::FILE* stream, const char* wanted) {
    for (;;) {
        unsigned char header[8];
        if (std::fread(header, 1, 8, stream) < 8) {
            warnEof();
            return std::nullopt;
        }
        std::uint32_t length = LittleEndian32(header + 4);
        if (std::memcmp(header, wanted, 4) == 0)
            return length;
        if (!skipRiffChunkBody(stream, length))
            return std::nullopt;
        char name[5] = {};
        std::memcpy(name, header, 4);
        std::fprintf(stderr, "Skipping chunk of type \"%s\", length %lld\n", name,
                     static_cast<long long>(length));
    }
}

std::optional<WavFormat> readFormatChunk(std::FILE* stream) {
    auto length = findWavChunk(stream, "fmt ");
    if (!length)
        return std::nullopt;
    if (*length < 16) {
        std::fprintf(stderr, "Warning: Unrecognised format chunk in WAV header\n");
        return std::nullopt;
    }
    if (*length != 16 && *length != 18)
        std::fprintf(stderr, "Warning: INVALID format chunk in wav header.\n"
                             " Trying to read anyway (may not work)...\n");
    unsigned char body[16];
    if (std::fread(body, 1, 16, stream) < 16) {
        warnEof();
        return std::nullopt;
    }
    if (!skipRiffChunkBody(stream, *length - 16))
        return std::nullopt;
    return WavFormat{LittleEndian16(body), LittleEndian16(body + 2), LittleEndian32(body + 4),
                     LittleEndian16(body + 12), LittleEndian16(body + 14)};
}

// Bytes per sample of a supported encoding, or nothing after the matching error message.
std::optional<int> bytesPerSampleOf(const WavFormat& format) {
    int bytes = 0;
    if (format.formatTag == kFormatPcm) {
        bytes = format.bitsPerSample / 8;
    } else if (format.formatTag == kFormatFloat) {
        bytes = 4;
    } else {
        std::fprintf(stderr, "ERROR: Wav file is unsupported type (must be standard PCM\n"
                             " or type 3 floating point PCM\n");
        return std::nullopt;
    }
    if (!isSupportedWavEncoding(format.formatTag, format.channels, format.blockAlign,
                                format.bitsPerSample)) {
        std::fprintf(stderr, "ERROR: Wav file is unsupported subformat (must be 16 bit PCM\n"
                             "or floating point PCM\n");
        return std::nullopt;
    }
    return bytes;
}

std::int32_t clampFrames(std::uint64_t frames) {
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(frames, std::numeric_limits<std::int32_t>::max()));
}

// Streamed files announce a data length of 0: measure the rest of the file instead.
std::int32_t framesToEndOfFile(std::FILE* stream, std::uint32_t block) {
    const std::int64_t start = TellStdFile(stream);
    if (start < 0 || SeekStdFile(stream, 0, SEEK_END) != 0)
        return 0;
    const std::int64_t end = TellStdFile(stream);
    SeekStdFile(stream, start, SEEK_SET);
    if (end < start)
        return 0;
    return clampFrames(static_cast<std::uint64_t>(end - start) / block);
}

} // namespace

bool isSupportedWavEncoding(int formatTag, int channels, int blockAlign, int bitsPerSample) {
    if (formatTag != kFormatPcm && formatTag != kFormatFloat)
        return false;
    const int bytes = formatTag == kFormatPcm ? bitsPerSample / 8 : 4;
    // A channel count of 0 would make every frame size 0; the reader state holds at most
    // 32767 channels.
    return channels >= 1 && channels <= 32767 && blockAlign == channels * bytes &&
           bitsPerSample == bytes * 8 && (formatTag != kFormatPcm || bytes == 1 || bytes == 2);
}

bool identifyWav(const unsigned char* header, int count) {
    return count >= 12 && std::memcmp(header, "RIFF", 4) == 0 &&
           std::memcmp(header + 8, "WAVE", 4) == 0;
}

bool openWav(std::FILE* stream, AudioSource& source, const unsigned char*, int) {
    auto format = readFormatChunk(stream);
    if (!format)
        return false;
    auto dataLength = findWavChunk(stream, "data");
    if (!dataLength)
        return false;
    auto bytesPerSample = bytesPerSampleOf(*format);
    if (!bytesPerSample)
        return false;

    source.channels = format->channels;
    source.rate = static_cast<std::int32_t>(format->rate);
    source.read = format->formatTag == kFormatPcm ? readPcmFrames : readFloatFrames;

    auto reader = std::make_unique<PcmFileReader>();
    reader->channels = static_cast<std::int16_t>(format->channels);
    reader->bitsPerSample = static_cast<std::int16_t>(format->bitsPerSample);
    reader->stream = stream;
    reader->bigEndian = 0;

    const std::uint32_t block = static_cast<std::uint32_t>(format->channels * *bytesPerSample);
    reader->totalFrames =
        *dataLength != 0 ? clampFrames(*dataLength / block) : framesToEndOfFile(stream, block);
    source.totalFrames = reader->totalFrames;
    source.readerState = std::move(reader);
    return true;
}
