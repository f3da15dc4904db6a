#include "audio/OggDecoder.h"

#include "common/LittleEndian.h"
#include "common/WavHeader.h"
#include "platform/StdFile.h"

#include <cerrno>
#include <cstring>
#include <vector>
#include <vorbis/vorbisfile.h>

namespace {

constexpr int kReadBufferBytes = 8192;
// A song is tens of megabytes: written in large pieces, not in thousands of small writes.
constexpr std::size_t kOutputBufferBytes = 256 * 1024;
// Damaged input may report one error after another without moving on; give up after these.
constexpr int kMaxErrorsInARow = 64;

// libvorbisfile reads the stream we opened (by a UTF-8 name on both systems) through these,
// and closes it at ov_clear.
size_t ReadStream(void* data, size_t size, size_t count, void* stream) {
    return std::fread(data, size, count, static_cast<std::FILE*>(stream));
}
int SeekStream(void* stream, ogg_int64_t offset, int whence) {
    return SeekStdFile(static_cast<std::FILE*>(stream), offset, whence);
}
int CloseStream(void* stream) {
    return std::fclose(static_cast<std::FILE*>(stream));
}
long TellStream(void* stream) {
    return static_cast<long>(TellStdFile(static_cast<std::FILE*>(stream)));
}
const ov_callbacks kStreamCallbacks = {ReadStream, SeekStream, CloseStream, TellStream};

// A refused decode: the partial output stays, as after any other failure.
int FailDecode(OggVorbis_File& file, std::FILE* output) {
    ov_clear(&file);
    std::fclose(output);
    return 1;
}

// Everything from the last "." replaced by ".wav", even when that "." is in a folder name.
std::string wavNameFor(const std::string& oggPath) {
    return oggPath.substr(0, oggPath.rfind('.')) + ".wav";
}

} // namespace

OggDecoder::OggDecoder() = default;
OggDecoder::~OggDecoder() = default;

bool OggDecoder::decodeToWav(const std::string& oggPath) {
    return decodeFile(oggPath, wavNameFor(oggPath)) == 0;
}

bool OggDecoder::putHeader(std::FILE* out) {
    return std::fwrite(header_.data(), 1, header_.size(), out) == header_.size();
}

int OggDecoder::writeWavHeader(OggVorbis_File* file, std::FILE* out, std::int64_t knownFrames) {
    const vorbis_info* info = ov_info(file, 0);
    const auto channels = static_cast<std::uint32_t>(info ? info->channels : 0);
    const auto rate = static_cast<std::uint32_t>(info ? info->rate : 0);
    const std::uint32_t bytesPerSample = static_cast<std::uint32_t>(bits) / 8;
    const std::uint32_t blockAlign = channels * bytesPerSample;
    const std::uint32_t length =
        knownFrames != 0 ? static_cast<std::uint32_t>(knownFrames) * blockAlign + 44 : 0x7FFFFFFF;
    // An unknown length gets the largest sizes, rewritten once the data is written.
    const std::string header =
        WavHeader::Pcm(static_cast<std::uint16_t>(channels), rate, static_cast<std::uint16_t>(bits),
                       length - WavHeader::kBytes, length - 8);
    std::memcpy(header_.data(), header.data(), header_.size());

    if (!putHeader(out)) {
        std::fprintf(stderr, "ERROR: Failed to write wav header: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

int OggDecoder::rewriteWavHeader(std::FILE* out, std::uint32_t dataBytes) {
    PutLittleEndian32(header_.data() + 4, dataBytes + 36);
    PutLittleEndian32(header_.data() + 40, dataBytes);
    if (std::fseek(out, 0, SEEK_SET) != 0) {
        std::fprintf(stderr, "ERROR: Failed to seek on seekable file: %s\n", std::strerror(errno));
        return 1;
    }
    if (!putHeader(out)) {
        std::fprintf(stderr, "ERROR: Failed to write wav header: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

int OggDecoder::decodeFile(const std::string& in, const std::string& out) {
    std::FILE* input = OpenStdFile(in, "rb");
    if (!input) {
        std::fprintf(stderr, "ERROR: Failed to open input file: %s\n", std::strerror(errno));
        return 1;
    }
    std::vector<char> outputBuffer(kOutputBufferBytes); // outlives every close below
    std::FILE* output = OpenStdFile(out, "wb");
    if (!output) {
        std::fprintf(stderr, "ERROR: Failed to open output file: %s\n", std::strerror(errno));
        std::fclose(input);
        return 1;
    }
    std::setvbuf(output, outputBuffer.data(), _IOFBF, outputBuffer.size());
    OggVorbis_File file;
    if (ov_open_callbacks(input, &file, nullptr, 0, kStreamCallbacks) < 0) {
        std::fprintf(stderr, "ERROR: Failed to open input as vorbis\n");
        std::fclose(input);
        std::fclose(output);
        return 1;
    }
    const bool seekable = ov_seekable(&file) != 0;
    const std::int64_t knownFrames = seekable ? ov_pcm_total(&file, 0) : 0;
    if (writeWavHeader(&file, output, knownFrames > 0 ? knownFrames : 0) != 0) {
        ov_clear(&file);
        std::fclose(output);
        return 1;
    }

    const vorbis_info* info = ov_info(&file, -1);
    const std::int64_t bytesPerFrame = info ? std::int64_t{info->channels} * (bits / 8) : 0;
    char buffer[kReadBufferBytes];
    std::uint32_t dataBytes = 0;
    int errorsInARow = 0;
    for (;;) {
        if (stopFlag && stopFlag->load()) {
            ov_clear(&file);
            std::fclose(output);
            return 1;
        }
        int link = 0;
        long n =
            ov_read(&file, buffer, kReadBufferBytes, bigEndian, bits / 8, signedSamples, &link);
        if (n == 0)
            break;
        if (link != 0) {
            std::fprintf(stderr, "Only one logical bitstream currently supported\n");
            if (strict)
                return FailDecode(file, output);
            break;
        }
        if (n < 0) { // a hole in the data: nothing to write for it
            if (strict) {
                std::fprintf(stderr, "ERROR: The stream does not decode cleanly\n");
                return FailDecode(file, output);
            }
            if (++errorsInARow > kMaxErrorsInARow)
                break;
            continue;
        }
        errorsInARow = 0;
        if (std::fwrite(buffer, 1, static_cast<std::size_t>(n), output) !=
            static_cast<std::size_t>(n)) {
            std::fprintf(stderr, "Error writing to file: %s\n", std::strerror(errno));
            ov_clear(&file);
            std::fclose(output);
            return 1;
        }
        dataBytes += static_cast<std::uint32_t>(n);
    }
    if (strict && (!seekable || dataBytes != knownFrames * bytesPerFrame)) {
        std::fprintf(stderr, "ERROR: The stream's samples do not match its length\n");
        return FailDecode(file, output);
    }
    // The header's rewrite may be what first meets a full disk: then the decode failed too.
    if (seekable && rewriteWavHeader(output, dataBytes) != 0)
        return FailDecode(file, output);
    ov_clear(&file);
    // Buffered data reaches the disk only here; a failed close is a failed decode.
    if (std::fclose(output) != 0) {
        std::fprintf(stderr, "Error writing to file: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
