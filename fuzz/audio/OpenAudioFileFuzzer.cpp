// Feeds arbitrary bytes to the WAV and AIFF readers as a file and reads every frame they
// offer, the way the encoder would.
#include "audio/InputFormat.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::int32_t kFramesPerRequest = 1024;

void ReadEverything(AudioSource& source) {
    if (source.channels <= 0 || source.channels > 255 || !source.read)
        return; // the encoder refuses such sources before reading
    std::vector<std::vector<float>> storage(source.channels, std::vector<float>(kFramesPerRequest));
    std::vector<float*> channels;
    for (auto& channel : storage)
        channels.push_back(channel.data());
    while (source.read(source.readerState.get(), channels.data(), kFramesPerRequest) > 0) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A memory stream refuses seeks past its end, so the read-and-discard skip runs too.
    std::FILE* stream =
        size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : std::tmpfile();
    if (!stream)
        return 0;
    AudioSource source;
    if (const InputFormat* format = openAudioFile(stream, source)) {
        ReadEverything(source);
        format->close(source.readerState);
    }
    std::fclose(stream);
    return 0;
}
