// A headless build of sixteen 60-second mono 44.1 kHz songs against a serial bare libvorbis
// encode of the same songs in the same run, at 1, 2 and 4 threads and with the default of one
// per core, each build right after a run of the bare encode, in rounds. The median times and
// ratios (build / bare) are printed at the end.
#include "bench/support/BareVorbisEncode.h"
#include "bench/support/PairedRounds.h"
#include "bench/support/SilentProgress.h"
#include "builder/BuildPipeline.h"
#include "builder/SongProject.h"
#include "common/DeleteFolderTree.h"
#include "common/Progress.h"
#include "common/Prompts.h"
#include "common/WorkerPool.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;
constexpr int kSongs = 16;
constexpr float kQuality = 0.4f; // the project's default quality 4

struct SilentPrompts : Prompts {
    std::string destination;
    void Message(const std::string&) override {}
    bool OpenFile(const FileDialogOptions&, std::string&) override { return false; }
    bool SaveFile(const FileDialogOptions&, std::string& path) override {
        path = destination;
        return true;
    }
    bool BrowseFolder(const std::string&, std::string&) override { return false; }
};

// Songs with some content for the encoder: a few partials plus noise, different per song.
std::vector<std::int16_t> SongSamples(int song) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(kRate) * kSeconds);
    std::srand(static_cast<unsigned>(song));
    for (std::size_t index = 0; index < samples.size(); ++index) {
        const double time = static_cast<double>(index) / kRate;
        double value = 0.3 * std::sin(2 * M_PI * (110.0 * song) * time) +
                       0.2 * std::sin(2 * M_PI * 660.0 * time) * std::sin(2 * M_PI * 0.5 * time) +
                       0.05 * (std::rand() / double(RAND_MAX) - 0.5);
        samples[index] = static_cast<std::int16_t>(std::lround(value * 32767.0));
    }
    return samples;
}

void PutLE(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int index = 0; index < bytes; ++index)
        out.put(static_cast<char>((value >> (8 * index)) & 0xFF));
}

void WriteWav(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    PutLE(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);
    PutLE(out, 1, 2);
    PutLE(out, kRate, 4);
    PutLE(out, kRate * 2, 4);
    PutLE(out, 2, 2);
    PutLE(out, 16, 2);
    out.write("data", 4);
    PutLE(out, dataBytes, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

struct Fixture {
    std::string folder;
    std::vector<std::vector<std::int16_t>> songs;
    std::vector<std::string> paths;

    Fixture() {
        folder = (std::filesystem::temp_directory_path() / "korvane-bench").string();
        std::filesystem::create_directories(folder);
        for (int song = 1; song <= kSongs; ++song) {
            songs.push_back(SongSamples(song));
            paths.push_back(folder + "/song" + std::to_string(song) + ".wav");
            WriteWav(paths.back(), songs.back());
        }
    }
    ~Fixture() { DeleteFolderTree(folder); }
};

Fixture& Songs() {
    static Fixture fixture;
    return fixture;
}

PairedRounds rounds({1, 2, 4, 0}); // 0: the default, one per core

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double TimedBareEncode(Fixture& fixture) {
    const auto start = std::chrono::steady_clock::now();
    for (int song = 0; song < kSongs; ++song)
        BareVorbisEncode(fixture.songs[static_cast<std::size_t>(song)], kRate, kQuality,
                         fixture.folder + "/bare" + std::to_string(song) + ".ogg");
    return Seconds(start);
}

double TimedBuild(Fixture& fixture, int jobs) {
    SongProject project;
    for (int position = 1; position <= kSongs; ++position)
        project.SlotAt(position).SetPath(fixture.paths[static_cast<std::size_t>(position - 1)]);
    SilentPrompts prompts;
    prompts.destination = fixture.folder + "/pack.velk";
    SilentProgress progress;
    const auto start = std::chrono::steady_clock::now();
    BuildPipeline pipeline(prompts, progress, fixture.folder);
    if (jobs > 0)
        pipeline.SetJobs(jobs);
    if (!project.AllValid() || !pipeline.BuildMusicPack(project))
        throw std::runtime_error("the build failed");
    return Seconds(start);
}

void BM_BuildMusicPackVersusBareEncode(benchmark::State& state) {
    Fixture& fixture = Songs();
    for (auto _ : state)
        state.SetIterationTime(
            rounds.RunRound([&] { return TimedBareEncode(fixture); },
                            [&](int jobs) { return TimedBuild(fixture, jobs); }));
    for (int jobs : {1, 2, 4, 0})
        state.counters["ratio_jobs" + std::to_string(jobs)] = rounds.MedianRatio(jobs);
}

BENCHMARK(BM_BuildMusicPackVersusBareEncode)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (rounds.Rounds() == 0)
        return 0;
    rounds.PrintTable("build", "serial bare encode");
    std::printf("one thread / bare encode: %.3f (target at most 1.10)\n", rounds.MedianRatio(1));
    std::printf("every core (%d threads) / bare encode: %.3f (target at most 0.60)\n",
                WorkerPool::DefaultThreads(), rounds.MedianRatio(0));
    return 0;
}
