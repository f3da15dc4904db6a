#include "audio/TrackEncodeJob.h"

#include "audio/CreateDirectories.h"
#include "audio/InputFormat.h"
#include "audio/VorbisEncoder.h"
#include "platform/StdFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// The input path up to its last full stop, followed by ".ogg".
std::string outputNameFor(const std::string& inputPath) {
    return inputPath.substr(0, inputPath.rfind('.')) + ".ogg";
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
    } else if (createDirectories(outputName) != 0) {
        std::fprintf(stderr,
                     "ERROR: Could not create required subdirectories for output filename "
                     "\"%s\"\n",
                     outputName.c_str());
    } else if (!(output = OpenStdFile(outputName, "wb"))) {
        std::fprintf(stderr, "ERROR: Cannot open output file \"%s\": %s\n", outputName.c_str(),
                     std::strerror(errno));
    } else {
        settings.read = source.read;
        settings.readerState = source.readerState.get();
        settings.totalFrames = source.totalFrames;
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
