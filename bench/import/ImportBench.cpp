// Importing sixteen 60-second stereo 44.1 kHz songs (eight MP3, eight FLAC) with loudness
// matching, on one thread and on every core, against a bare libsndfile decode loop of the
// same files in the same run; then the peak memory of importing one 30-minute FLAC, measured
// in a child process. The ratios are printed at the end.
#include "bench/support/SilentProgress.h"
#include "builder/ImportSongs.h"
#include "builder/SongProject.h"
#include "common/DeleteFolderTree.h"
#include "common/Prompts.h"
#include "import/SongImporter.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;
constexpr int kSongs = 16;

struct SilentPrompts : Prompts {
    void Message(const std::string&) override {}
    bool OpenFile(const FileDialogOptions&, std::string&) override { return false; }
    bool SaveFile(const FileDialogOptions&, std::string&) override { return false; }
    bool BrowseFolder(const std::string&, std::string&) override { return false; }
};

// Music-like content: a few partials that move between the channels, plus a little noise.
bool WriteSong(const std::string& path, int format, int song, double seconds) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::minstd_rand noise(static_cast<unsigned>(song));
    std::vector<float> block(2 * 4096);
    const auto frames = static_cast<long>(seconds * kRate);
    bool ok = true;
    for (long done = 0; done < frames && ok;) {
        const long count = std::min<long>(4096, frames - done);
        for (long frame = 0; frame < count; ++frame) {
            const double time = static_cast<double>(done + frame) / kRate;
            const double pan = 0.5 + 0.5 * std::sin(2 * M_PI * 0.1 * time);
            const double tone =
                0.3 * std::sin(2 * M_PI * (110.0 + 20 * song) * time) +
                0.2 * std::sin(2 * M_PI * 660.0 * time) * std::sin(2 * M_PI * 0.5 * time);
            const double hiss = 0.02 * (static_cast<double>(noise()) / noise.max() - 0.5);
            block[static_cast<std::size_t>(2 * frame)] = static_cast<float>(tone * pan + hiss);
            block[static_cast<std::size_t>(2 * frame + 1)] =
                static_cast<float>(tone * (1 - pan) + hiss);
        }
        ok = sf_writef_float(file, block.data(), count) == count;
        done += count;
    }
    return sf_close(file) == 0 && ok;
}

struct Fixture {
    std::string folder;
    std::vector<std::string> paths;

    Fixture() {
        folder = (std::filesystem::temp_directory_path() / "korvane-import-bench").string();
        DeleteFolderTree(folder);
        std::filesystem::create_directories(folder);
        for (int song = 0; song < kSongs; ++song) {
            const bool mp3 = song % 2 == 0;
            paths.push_back(folder + "/song" + std::to_string(song) + (mp3 ? ".mp3" : ".flac"));
            WriteSong(paths.back(),
                      mp3 ? SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III
                          : SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                      song, kSeconds);
        }
    }
    ~Fixture() { DeleteFolderTree(folder); }
};

Fixture& Songs() {
    static Fixture fixture;
    return fixture;
}

double bareSeconds = 0, bareCpu = 0;
double oneThreadSeconds = 0, oneThreadCpu = 0;
double allCoresSeconds = 0;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of the whole process, all threads: steadier than wall time on a busy machine.
double ProcessCpuSeconds() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_BareDecode(benchmark::State& state) {
    Fixture& fixture = Songs();
    std::vector<float> block(2 * 8192);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        for (const std::string& path : fixture.paths) {
            SF_INFO info{};
            SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
            while (file && sf_readf_float(file, block.data(), 8192) > 0)
                benchmark::DoNotOptimize(block.data());
            sf_close(file);
        }
        bareSeconds = SecondsSince(start);
        bareCpu = ProcessCpuSeconds() - cpuStart;
        state.counters["process_cpu_s"] = bareCpu;
    }
}

void BM_Import(benchmark::State& state) {
    Fixture& fixture = Songs();
    SilentPrompts prompts;
    SilentProgress progress;
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        SongProject project;
        project.SetPath(fixture.folder + "/bench.velkp");
        DeleteFolderTree(fixture.folder + "/bench songs");
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        const ImportSongsOutcome outcome =
            ImportSongs(prompts, progress)
                .Run(project, fixture.paths, ImportSongsOptions{true, threads, ""});
        (threads == 1 ? oneThreadSeconds : allCoresSeconds) = SecondsSince(start);
        const double cpu = ProcessCpuSeconds() - cpuStart;
        if (threads == 1)
            oneThreadCpu = cpu;
        state.counters["process_cpu_s"] = cpu;
        if (outcome.added != kSongs)
            state.SkipWithError("the import failed");
    }
}

BENCHMARK(BM_BareDecode)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Import)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Runs `work` in a child process; yields its peak resident memory in MiB, or -1.
template <typename Work> double PeakMemoryOfChild(Work work) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(work() ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Peak memory of importing one 30-minute stereo FLAC, in a fresh process.
double LongSongPeakMiB() {
    const std::string folder =
        (std::filesystem::temp_directory_path() / "korvane-import-long").string();
    DeleteFolderTree(folder);
    std::filesystem::create_directories(folder);
    const std::string song = folder + "/long.flac";
    double peak = -1;
    if (PeakMemoryOfChild([&] {
            return WriteSong(song, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 3, SongImporter::kMaxSeconds);
        }) > 0) {
        peak = PeakMemoryOfChild([&] {
            SongImporter importer(folder, ImportSettings{});
            std::atomic<bool> cancel{false};
            std::atomic<int> permille{0};
            ImportedSong imported = importer.Import(song, cancel, permille);
            return imported.problem == ImportProblem::None && SongImporter::Publish(imported);
        });
    }
    DeleteFolderTree(folder);
    return peak;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else, so the child starts from a small process.
    const double longSongPeak = LongSongPeakMiB();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (bareSeconds > 0 && oneThreadSeconds > 0)
        std::printf("import on one thread / bare decode: %.3f (target at most 2.5)\n",
                    oneThreadSeconds / bareSeconds);
    if (bareCpu > 0 && oneThreadCpu > 0)
        std::printf("the same in processor time: %.3f\n", oneThreadCpu / bareCpu);
    if (oneThreadSeconds > 0 && allCoresSeconds > 0)
        std::printf("import on all cores / one thread: %.3f (target at most 0.6)\n",
                    allCoresSeconds / oneThreadSeconds);
    std::printf("peak memory importing a 30-minute FLAC: %.1f MiB (target under 64)\n",
                longSongPeak);
    return 0;
}
