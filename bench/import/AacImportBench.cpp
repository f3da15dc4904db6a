// Importing a 60-second stereo 44.1 kHz AAC song in an MP4 file (decode, downmix, loudness
// matching, dither, write) against a bare libfaad2 decode loop of the same frames, measured in
// the same run; the ratio is printed at the end.
#include "common/DeleteFolderTree.h"
#include "import/SongImporter.h"
#include "tests/support/AacFixture.h"
#include "tests/support/Mp4Fixture.h"
#include "tests/support/TempFolder.h"

#include <benchmark/benchmark.h>
#include <neaacdec.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;

struct Song {
    std::string folder, path;
    AacFrames aac;

    Song() {
        folder = (std::filesystem::temp_directory_path() / "korvane-aac-bench").string();
        DeleteFolderTree(folder);
        std::filesystem::create_directories(folder);
        std::vector<std::int16_t> samples(static_cast<std::size_t>(2 * kRate * kSeconds));
        std::minstd_rand noise(7);
        for (std::size_t frame = 0; frame < samples.size() / 2; ++frame) {
            const double time = static_cast<double>(frame) / kRate;
            const double pan = 0.5 + 0.5 * std::sin(2 * M_PI * 0.1 * time);
            const double tone = 0.3 * std::sin(2 * M_PI * 130 * time) +
                                0.2 * std::sin(2 * M_PI * 660 * time) * std::sin(2 * M_PI * 0.5 * time);
            const double hiss = 0.02 * (static_cast<double>(noise()) / noise.max() - 0.5);
            samples[2 * frame] = static_cast<std::int16_t>(32767 * (tone * pan + hiss));
            samples[2 * frame + 1] = static_cast<std::int16_t>(32767 * (tone * (1 - pan) + hiss));
        }
        EncodeAac(samples, kRate, 2, aac);
        path = folder + "/song.m4a";
        WriteFileBytes(path, Mp4File(aac, Mp4Layout{}));
    }
    ~Song() { DeleteFolderTree(folder); }
};

Song& TheSong() {
    static Song song;
    return song;
}

double bareSeconds = 0, importSeconds = 0;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// libfaad2 alone: the same frames, from memory, to floats.
void BM_BareFaadDecode(benchmark::State& state) {
    Song& song = TheSong();
    const std::string config = AacDecoderConfig(song.aac);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        NeAACDecHandle decoder = NeAACDecOpen();
        NeAACDecConfigurationPtr settings = NeAACDecGetCurrentConfiguration(decoder);
        settings->outputFormat = FAAD_FMT_FLOAT;
        NeAACDecSetConfiguration(decoder, settings);
        unsigned long rate = 0;
        unsigned char channels = 0;
        std::vector<unsigned char> bytes(config.begin(), config.end());
        NeAACDecInit2(decoder, bytes.data(), static_cast<unsigned long>(bytes.size()), &rate,
                      &channels);
        for (const std::string& frame : song.aac.frames) {
            bytes.assign(frame.begin(), frame.end());
            NeAACDecFrameInfo info{};
            benchmark::DoNotOptimize(NeAACDecDecode(decoder, &info, bytes.data(),
                                                    static_cast<unsigned long>(bytes.size())));
        }
        NeAACDecClose(decoder);
        const double seconds = SecondsSince(start);
        bareSeconds = bareSeconds > 0 ? std::min(bareSeconds, seconds) : seconds;
    }
}

void BM_ImportAac(benchmark::State& state) {
    Song& song = TheSong();
    for (auto _ : state) {
        const std::string out = song.folder + "/out";
        DeleteFolderTree(out);
        std::filesystem::create_directories(out);
        SongImporter importer(out, ImportSettings{});
        std::atomic<bool> cancel{false};
        std::atomic<int> permille{0};
        const auto start = std::chrono::steady_clock::now();
        ImportedSong imported = importer.Import(song.path, cancel, permille);
        const bool published =
            imported.problem == ImportProblem::None && SongImporter::Publish(imported);
        const double seconds = SecondsSince(start);
        importSeconds = importSeconds > 0 ? std::min(importSeconds, seconds) : seconds;
        if (!published)
            state.SkipWithError("the import failed");
    }
}

BENCHMARK(BM_BareFaadDecode)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ImportAac)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (bareSeconds > 0 && importSeconds > 0)
        std::printf("AAC import / bare libfaad2 decode: %.3f (target at most 2.5)\n",
                    importSeconds / bareSeconds);
    return 0;
}
