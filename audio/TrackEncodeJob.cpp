#include "audio/TrackEncodeJob.h"

#include "audio/CreateDirectories.h"
#include "audio/InputFormat.h"
#include "audio/VorbisEncoder.h"
#include "platform/StdFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// The input path up to its last full stop, followed by ".ogg".
std::string outputNameFor(const std::string& inputPath) {
    return inputPath.substr(0, inputPath.rfind('.')) + ".ogg";
}

// A reader's frames from a trim's first on, as many as it keeps, faded.
struct TrimmedReader : PcmFileReader {
    ReadFramesFunction read = nullptr;
    PcmFileReader* inner = nullptr;
    TrimFrames kept;
    std::int64_t done = 0;
};

std::int32_t ReadTrimmed(PcmFileReader* state, float** channels, std::int32_t frames) {
    auto& reader = static_cast<TrimmedReader&>(*state);
    const auto wanted = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(reader.kept.count - reader.done, 0, frames));
    const std::int32_t got = wanted > 0 ? reader.read(reader.inner, channels, wanted) : 0;
    for (std::int32_t channel = 0; channel < reader.inner->channels; ++channel)
        ApplyFades(reader.kept, reader.done, channels[channel], got);
    reader.done += got;
    return got;
}

// Places the source at the trim's first frame and puts the trimmed reader in front of it.
// The song's frames are the header's, bounded by the bytes the file holds, as probing counts
// them. False when the file cannot be positioned.
bool StartTrimmed(std::FILE* input, AudioSource& source, const SongTrim& trim,
                  TrimmedReader& trimmed) {
    PcmFileReader& inner = *source.readerState;
    const std::int64_t dataStart = TellStdFile(input);
    const auto length = OpenFileLength(input);
    const std::int64_t frameBytes = std::int64_t{inner.channels} * (inner.bitsPerSample / 8);
    if (dataStart < 0 || !length || frameBytes <= 0)
        return false;
    const std::int64_t present = (static_cast<std::int64_t>(*length) - dataStart) / frameBytes;
    const std::int64_t frames =
        source.totalFrames > 0 ? std::min<std::int64_t>(present, source.totalFrames) : present;
    trimmed.kept = TrimToFrames(trim, source.rate, frames);
    if (SeekStdFile(input, dataStart + trimmed.kept.first * frameBytes, SEEK_SET) != 0)
        return false;
    inner.framesRead = static_cast<std::int32_t>(trimmed.kept.first);
    trimmed.read = source.read;
    trimmed.inner = &inner;
    trimmed.channels = inner.channels;
    trimmed.totalFrames = static_cast<std::int32_t>(trimmed.kept.count);
    return true;
}

} // namespace

std::int32_t TrackEncodeJob::SerialNumberFor(unsigned seed) {
    std::srand(seed);
    return std::rand() & 0x7FFF;
}

// Runs in the same second share the number.
std::int32_t TrackEncodeJob::FreshSerialNumber() {
    return SerialNumberFor(static_cast<unsigned>(std::time(nullptr)));
}

EncoderSettings TrackEncodeJob::SettingsFor(std::int32_t qualityStep) {
    EncoderSettings settings;
    settings.quality = static_cast<float>(qualityStep) * 0.1f;
    settings.qualitySet = 1;
    settings.managed = 0;
    settings.nominalBitrate = settings.minBitrate = settings.maxBitrate = -1;
    settings.onError = printEncodeError;
    return settings;
}

TrackEncodeJob::TrackEncodeJob() = default;
TrackEncodeJob::~TrackEncodeJob() = default;

bool TrackEncodeJob::Run(const std::string& inputPath) {
    EncoderSettings settings = SettingsFor(qualityStep);
    settings.serialNumber = serialNumber >= 0 ? serialNumber : FreshSerialNumber();
    settings.stop = stopFlag;

    vorbis_comment comments;
    vorbis_comment_init(&comments);
    AudioSource source;
    TrimmedReader trimmed;
    const InputFormat* format = nullptr;
    std::FILE* output = nullptr;
    bool failed = true;

    std::FILE* input = OpenStdFile(inputPath, "rb");
    std::string outputName = outputNameFor(inputPath);
    if (!input) {
        std::fprintf(stderr, "ERROR: Cannot open input file \"%s\": %s\n", inputPath.c_str(),
                     std::strerror(errno));
    } else if (!(format = openAudioFile(input, source))) {
        std::fprintf(stderr, "ERROR: Input file \"%s\" is not a supported format\n",
                     inputPath.c_str());
    } else if (!trim.IsNone() && !StartTrimmed(input, source, trim, trimmed)) {
        std::fprintf(stderr, "ERROR: Cannot read input file \"%s\": %s\n", inputPath.c_str(),
                     std::strerror(errno));
    } else if (createDirectories(outputName) != 0) {
        std::fprintf(stderr,
                     "ERROR: Could not create required subdirectories for output filename "
                     "\"%s\"\n",
                     outputName.c_str());
    } else if (!(output = OpenStdFile(outputName, "wb"))) {
        std::fprintf(stderr, "ERROR: Cannot open output file \"%s\": %s\n", outputName.c_str(),
                     std::strerror(errno));
    } else {
        settings.read = trim.IsNone() ? source.read : ReadTrimmed;
        settings.readerState = trim.IsNone() ? source.readerState.get() : &trimmed;
        settings.totalFrames = trim.IsNone() ? source.totalFrames : trimmed.totalFrames;
        settings.channels = source.channels;
        settings.rate = source.rate;
        settings.output = output;
        settings.comments = &comments;
        settings.outputName = outputName;
        settings.inputName = inputPath;
        failed = encodeStream(settings) != 0;
    }

    vorbis_comment_clear(&comments);
    if (format)
        format->close(source.readerState);
    if (input)
        std::fclose(input);
    // Buffered pages reach the disk only here; a failed close is a failed encode.
    if (output && std::fclose(output) != 0) {
        std::fprintf(stderr, "ERROR: Cannot write output file \"%s\": %s\n", outputName.c_str(),
                     std::strerror(errno));
        failed = true;
    }
    return !failed;
}
