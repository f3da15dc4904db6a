#include "tests/support/AudioFileFixture.h"

#include "platform/NativePath.h"

#include <sndfile.h>

#include <cmath>
#include <memory>

namespace {

// Opens by the system's own form of the UTF-8 path, so fixtures may sit in any folder.
SNDFILE* OpenSoundFile(const std::string& path, int mode, SF_INFO& info) {
#ifdef _WIN32
    return sf_wchar_open(NativePath(path).c_str(), mode, &info);
#else
    return sf_open(path.c_str(), mode, &info);
#endif
}

} // namespace

namespace AudioFormat {
int Mp3() {
    return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
}
int Flac16() {
    return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
}
int OggVorbis() {
    return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
}
int Opus() {
    return SF_FORMAT_OGG | SF_FORMAT_OPUS;
}
int Aiff24() {
    return SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
}
int WavFloat() {
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
}
int Wav24() {
    return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
}
int Wav16() {
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}
int Wav8() {
    return SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
}
} // namespace AudioFormat

namespace {

struct Closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

float DefaultSignal(int, double time) {
    return 0.25f * static_cast<float>(std::sin(2 * M_PI * 440 * time));
}

} // namespace

bool WriteAudioFile(const std::string& path, const AudioFileSpec& spec) {
    SF_INFO info{};
    info.samplerate = spec.sampleRate;
    info.channels = spec.channels;
    info.format = spec.format;
    std::unique_ptr<SNDFILE, Closer> file(OpenSoundFile(path, SFM_WRITE, info));
    if (!file)
        return false;
    if (!spec.title.empty())
        sf_set_string(file.get(), SF_STR_TITLE, spec.title.c_str());
    if (!spec.artist.empty())
        sf_set_string(file.get(), SF_STR_ARTIST, spec.artist.c_str());
    const auto signal = spec.signal ? spec.signal : DefaultSignal;
    const auto frames = static_cast<long>(std::lround(spec.seconds * spec.sampleRate));
    std::vector<float> block(static_cast<std::size_t>(4096 * spec.channels));
    for (long done = 0; done < frames;) {
        const long count = std::min<long>(4096, frames - done);
        for (long frame = 0; frame < count; ++frame)
            for (int channel = 0; channel < spec.channels; ++channel)
                block[static_cast<std::size_t>(frame * spec.channels + channel)] =
                    signal(channel, static_cast<double>(done + frame) / spec.sampleRate);
        if (sf_writef_float(file.get(), block.data(), count) != count)
            return false;
        done += count;
    }
    return true;
}

bool ReadAudioFile(const std::string& path, DecodedAudio& audio) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, Closer> file(OpenSoundFile(path, SFM_READ, info));
    if (!file)
        return false;
    audio.sampleRate = info.samplerate;
    audio.channels = info.channels;
    audio.samples.assign(static_cast<std::size_t>(info.frames * info.channels), 0.0f);
    return sf_readf_float(file.get(), audio.samples.data(), info.frames) == info.frames;
}
