// Latency from Play to the first sample handed to the device, for a 4-minute song: its
// source file as it is (target 300 ms), and "as the game plays it" at quality 4, encoded and
// decoded while it plays (target 1.5 s), from the start, from the middle, and switched to
// while the source song plays (the A/B switch).
// Each iteration opens the source as a controller would, calls Play and waits until the
// player's position moves, which happens in the device's first fill. The device is SDL's disk
// driver writing to /dev/null at the pace of a real device (one buffer per buffer's time), so
// opening a device costs what opening a file does, not what a sound server's round trips do.
#include "playback/GameVersionSource.h"
#include "playback/Player.h"
#include "playback/SongFileSource.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 240;
constexpr int kQualityStep = 4;

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Chords that change every two seconds over a little noise: enough going on that the encoder
// works as hard as on music. Written once.
std::string SongPath() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "kp_playback_bench.wav";
        std::mt19937 random(1);
        std::uniform_real_distribution<double> noise(-0.02, 0.02);
        std::string data;
        data.reserve(static_cast<std::size_t>(kRate) * kSeconds * 2);
        for (int i = 0; i < kRate * kSeconds; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double root = 110.0 * std::pow(2.0, (i / (2 * kRate)) % 12 / 12.0);
            double value = noise(random);
            for (const double ratio : {1.0, 1.25, 1.5, 2.0})
                value += 0.15 * std::sin(2 * M_PI * root * ratio * t);
            PutLE(data, static_cast<std::uint16_t>(std::lround(value * 32767)), 2);
        }
        std::string wav = "RIFF";
        PutLE(wav, static_cast<std::uint32_t>(36 + data.size()), 4);
        wav += "WAVEfmt ";
        PutLE(wav, 16, 4); // format chunk length
        PutLE(wav, 1, 2);  // integer PCM
        PutLE(wav, 1, 2);  // mono
        PutLE(wav, kRate, 4);
        PutLE(wav, kRate * 2, 4); // bytes per second
        PutLE(wav, 2, 2);         // bytes per frame
        PutLE(wav, 16, 2);        // bits per sample
        wav += "data";
        PutLE(wav, static_cast<std::uint32_t>(data.size()), 4);
        std::ofstream(file, std::ios::binary) << wav << data;
        return file.string();
    }();
    return path;
}

// The disk driver is chosen before the player starts SDL.
struct DiskPlayer {
    DiskPlayer() {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        player = std::make_unique<Player>();
        while (player->SoundOutput() == Player::Output::Probing)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (player->SoundOutput() != Player::Output::Available)
            throw std::runtime_error("no disk audio driver");
    }
    std::unique_ptr<Player> player;
};

Player& SharedPlayer() {
    static DiskPlayer disk;
    return *disk.player;
}

std::unique_ptr<PlaybackSource> SourceSong() {
    std::string problem;
    auto source = SongFileSource::Open(SongPath(), problem);
    if (!source)
        throw std::runtime_error(problem);
    return source;
}

std::unique_ptr<PlaybackSource> AsTheGamePlaysIt() {
    std::string problem;
    auto source = GameVersionSource::Open(SourceSong(), kQualityStep, problem);
    if (!source)
        throw std::runtime_error(problem);
    return source;
}

void Latency(benchmark::State& state, std::unique_ptr<PlaybackSource> (*open)(), double from) {
    Player& player = SharedPlayer();
    SongPath();
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        player.Play(open(), from);
        while (player.Position() <= from && player.CurrentState() != Player::State::Failed)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const std::chrono::duration<double> latency = std::chrono::steady_clock::now() - started;
        state.SetIterationTime(latency.count());
        if (player.CurrentState() == Player::State::Failed)
            state.SkipWithError(player.Problem().c_str());
        player.Stop();
        // Out of the timing: the worker closes the device, as after any Stop.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

// The A/B switch: while the source song plays, its game version from the same position.
void BM_SwitchToTheGameVersion(benchmark::State& state) {
    Player& player = SharedPlayer();
    for (auto _ : state) {
        player.Play(SourceSong(), 60);
        while (player.Position() <= 60.5)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto started = std::chrono::steady_clock::now();
        const double from = player.Position();
        player.Play(AsTheGamePlaysIt(), from);
        while (player.Position() <= from && player.CurrentState() != Player::State::Failed)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const std::chrono::duration<double> latency = std::chrono::steady_clock::now() - started;
        state.SetIterationTime(latency.count());
        player.Stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

void BM_SourceSong(benchmark::State& state) {
    Latency(state, SourceSong, 0);
}
void BM_AsTheGamePlaysIt(benchmark::State& state) {
    Latency(state, AsTheGamePlaysIt, 0);
}
void BM_AsTheGamePlaysItFromMinute2(benchmark::State& state) {
    Latency(state, AsTheGamePlaysIt, 120);
}

// Not a latency, but what keeps the sound going: how many times faster than it plays the
// song is encoded and decoded again (counter "x_real_time"; below 1 it would stutter).
void BM_AsTheGamePlaysItWholeSong(benchmark::State& state) {
    std::vector<float> block(2048);
    for (auto _ : state) {
        auto source = AsTheGamePlaysIt();
        const auto started = std::chrono::steady_clock::now();
        while (source->Read(block.data(), 2048) > 0) {
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        state.SetIterationTime(took.count());
        state.counters["x_real_time"] = kSeconds / took.count();
    }
}

BENCHMARK(BM_SourceSong)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AsTheGamePlaysIt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AsTheGamePlaysItFromMinute2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_SwitchToTheGameVersion)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_AsTheGamePlaysItWholeSong)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
