// Our encoder and decoder drivers against bare library loops over the same data, timed
// side by side in each iteration (thread CPU time). The "ratio" counter is bare time / our
// time: 1.0 means no overhead, above 1.0 means ours is faster.
#include "audio/InputFormat.h"
#include "audio/OggDecoder.h"
#include "audio/VorbisEncoder.h"
#include "bench/support/BareVorbisEncode.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 10;
constexpr float kQuality = 0.4f; // the encoder settings' default quality

std::string Folder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() / "kp_audio_bench";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

std::vector<std::int16_t> Tone(int channels) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < kRate * kSeconds; ++i) {
        double t = static_cast<double>(i) / kRate;
        double value = 0.4 * std::sin(2 * M_PI * 440 * t) + 0.2 * std::sin(2 * M_PI * 1250 * t);
        for (int c = 0; c < channels; ++c)
            samples.push_back(static_cast<std::int16_t>(value * 32767));
    }
    return samples;
}

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A canonical mono 16-bit WAV file of the tone; returns its path.
std::string MonoWav(const std::vector<std::int16_t>& samples) {
    std::string data(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
    std::string out = "RIFF";
    PutLE(out, static_cast<std::uint32_t>(36 + data.size()), 4);
    out += "WAVEfmt ";
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);
    PutLE(out, 1, 2);
    PutLE(out, kRate, 4);
    PutLE(out, kRate * 2, 4);
    PutLE(out, 2, 2);
    PutLE(out, 16, 2);
    out += "data";
    PutLE(out, static_cast<std::uint32_t>(data.size()), 4);
    out += data;
    std::string path = Folder() + "/source.wav";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
    return path;
}

int OursEncode(const std::string& wavPath, const std::string& oggPath) {
    std::FILE* in = std::fopen(wavPath.c_str(), "rb");
    std::FILE* out = std::fopen(oggPath.c_str(), "wb");
    AudioSource source;
    const InputFormat* format = openAudioFile(in, source);
    EncoderSettings s;
    s.read = source.read;
    s.readerState = source.readerState.get();
    s.channels = source.channels;
    s.rate = source.rate;
    s.totalFrames = source.totalFrames;
    s.output = out;
    int result = encodeStream(s);
    format->close(source.readerState);
    std::fclose(in);
    std::fclose(out);
    return result;
}

// The plain libvorbisfile loop: a 44-byte header, then every ov_read result as it comes.
void BareDecode(const std::string& oggPath, const std::string& wavPath) {
    OggVorbis_File vf;
    ov_fopen(oggPath.c_str(), &vf);
    std::FILE* out = std::fopen(wavPath.c_str(), "wb");
    char header[44] = {};
    std::fwrite(header, 1, 44, out);
    char buffer[8192];
    int link = 0;
    long n;
    while ((n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &link)) != 0)
        if (n > 0)
            std::fwrite(buffer, 1, static_cast<std::size_t>(n), out);
    std::fseek(out, 0, SEEK_SET);
    std::fwrite(header, 1, 44, out);
    std::fclose(out);
    ov_clear(&vf);
}

double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU time of this thread (user and system), so other load on the machine does not skew
// the ratio.
template <typename Work> double TimeOf(Work work) {
    double start = ThreadSeconds();
    work();
    return ThreadSeconds() - start;
}

void BM_EncodeRatio(benchmark::State& state) {
    const auto samples = Tone(1);
    const std::string wav = MonoWav(samples);
    const std::string ours = Folder() + "/ours.ogg", bare = Folder() + "/bare.ogg";
    double oursTotal = 0, bareTotal = 0;
    bool bareFirst = true; // alternate, so neither side always runs on warmer caches
    for (auto _ : state) {
        if (bareFirst)
            bareTotal += TimeOf([&] { BareVorbisEncode(samples, kRate, kQuality, bare); });
        double seconds = TimeOf([&] {
            if (OursEncode(wav, ours) != 0)
                state.SkipWithError("encodeStream failed");
        });
        if (!bareFirst)
            bareTotal += TimeOf([&] { BareVorbisEncode(samples, kRate, kQuality, bare); });
        bareFirst = !bareFirst;
        oursTotal += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["ratio"] = bareTotal / oursTotal;
    state.counters["bare_s"] = bareTotal / state.iterations();
}
BENCHMARK(BM_EncodeRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_DecodeRatio(benchmark::State& state) {
    const auto samples = Tone(1);
    const std::string ogg = Folder() + "/decode.ogg";
    OursEncode(MonoWav(samples), ogg);
    const std::string bare = Folder() + "/bare.wav"; // ours goes to decode.wav
    double oursTotal = 0, bareTotal = 0;
    OggDecoder decoder;
    bool bareFirst = true;
    for (auto _ : state) {
        if (bareFirst)
            bareTotal += TimeOf([&] { BareDecode(ogg, bare); });
        double seconds = TimeOf([&] {
            if (!decoder.decodeToWav(ogg))
                state.SkipWithError("decodeToWav failed");
        });
        if (!bareFirst)
            bareTotal += TimeOf([&] { BareDecode(ogg, bare); });
        bareFirst = !bareFirst;
        oursTotal += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["ratio"] = bareTotal / oursTotal;
    state.counters["bare_s"] = bareTotal / state.iterations();
}
BENCHMARK(BM_DecodeRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
