// Applying a pack of sixteen 60-second songs, timed against the least any patcher must do
// with them: decode each song with libvorbisfile into a WAV file, then copy those bytes twice
// (into the game archive and into the game folder). Every apply, at 1, 2 and 4 threads and
// with the default of one per core, runs right after a run of that yardstick, in rounds; the
// "ratio_jobsN" counters are the medians of apply over yardstick, and the summary compares the
// default with the serial yardstick. The patch's time includes flushing the installed files
// and their folders to disk and the install journal.
#include "archive/FlatArchiveWriter.h"
#include "audio/TrackEncodeJob.h"
#include "bench/support/PairedRounds.h"
#include "bench/support/SilentProgress.h"
#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "common/PackLayout.h"
#include "common/Progress.h"
#include "common/Prompts.h"
#include "common/WorkerPool.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FileOps.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;

class SilentPrompts : public Prompts {
public:
    void Message(const std::string& text) override { last = text; }
    bool OpenFile(const FileDialogOptions&, std::string&) override { return false; }
    bool SaveFile(const FileDialogOptions&, std::string&) override { return false; }
    bool BrowseFolder(const std::string&, std::string&) override { return false; }
    std::string last;
};

class NoControls : public BackupControls {
public:
    void EnableBackupButton(bool) override {}
    void EnableRestoreButton(bool) override {}
    void ShowBusyCursor(bool) override {}
};

// A fresh folder below the system's temporary folder, removed with the object.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kpbench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mono 16-bit WAV of a soft chord, so the encoder has real work to do.
std::string ToneWav(int seconds, double hertz) {
    const std::uint32_t frames = static_cast<std::uint32_t>(kRate * seconds);
    std::string wav = "RIFF";
    PutLE(wav, 36 + frames * 2, 4);
    wav += "WAVEfmt ";
    PutLE(wav, 16, 4);
    PutLE(wav, 1, 2);
    PutLE(wav, 1, 2);
    PutLE(wav, kRate, 4);
    PutLE(wav, kRate * 2, 4);
    PutLE(wav, 2, 2);
    PutLE(wav, 16, 2);
    wav += "data";
    PutLE(wav, frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / kRate;
        double sample = 0.3 * std::sin(2 * M_PI * hertz * t) +
                        0.2 * std::sin(2 * M_PI * hertz * 1.5 * t) +
                        0.1 * std::sin(2 * M_PI * hertz * 2.01 * t);
        PutLE(wav, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample * 32767)), 2);
    }
    return wav;
}

std::string SongName(int number, const char* extension) {
    return PackLayout::SongFileName(number, extension);
}

// A pack, its loose songs, and a backed-up game folder, made once for the whole run.
struct Fixture {
    ScratchFolder temp;
    std::string pack, songs, game, base;

    Fixture() {
        songs = temp.file("songs");
        std::string velk = temp.file("velk");
        game = temp.file("game");
        base = temp.file("base");
        for (const auto& folder : {songs, velk, base, game + "/Mods/BfVietnam/settings",
                                   game + "/Mods/BfVietnam/Archives"})
            std::filesystem::create_directories(folder);
        WriteBytes(game + "/Mods/BfVietnam/settings/Default.con", "game\r\n");
        WriteBytes(game + "/Mods/BfVietnam/Archives/music.rfa", "original");
        NoControls controls;
        SilentPrompts prompts;
        if (!BackupOriginals(game, prompts, controls))
            throw std::runtime_error("backup failed");
        // Korvane's own scripts: the pack must pass the patcher's validation.
        SongProject project;
        for (int n = 1; n <= 16; ++n)
            project.SlotAt(n).SetStoredLength(static_cast<float>(kSeconds));
        if (!project.WritePlaylistScript(velk + "/playlists.con") ||
            !WriteSoundScript(velk + "/US.ssc"))
            throw std::runtime_error("scripts failed");
        for (int n = 1; n <= 16; ++n) {
            std::string wav = JoinPath(songs, SongName(n, "wav"));
            WriteBytes(wav, ToneWav(kSeconds, 180.0 + 30 * n));
            TrackEncodeJob job;
            if (!job.Run(wav))
                throw std::runtime_error("encoding failed");
            RemoveFile(wav);
            CopyFileRefusing(JoinPath(songs, SongName(n, "ogg")),
                             JoinPath(velk, SongName(n, "ogg")));
        }
        FlatArchiveWriter writer;
        writer.sourceFolder = velk;
        writer.namePrefix = "velk";
        pack = temp.file("pack.velk");
        if (!writer.WriteArchive(pack))
            throw std::runtime_error("packing failed");
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void DecodeToFile(const std::string& ogg, const std::string& wav) {
    OggVorbis_File file;
    if (ov_fopen(ogg.c_str(), &file) != 0)
        throw std::runtime_error("ov_fopen failed");
    std::FILE* out = std::fopen(wav.c_str(), "wb");
    char header[44] = {};
    std::fwrite(header, 1, sizeof header, out);
    std::vector<char> buffer(4096);
    int section = 0;
    long got;
    while ((got = ov_read(&file, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1,
                          &section)) > 0)
        std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), out);
    std::fclose(out);
    ov_clear(&file);
}

double BareDecodeAndCopyTwice(const Fixture& fixture, const std::string& scratch) {
    auto start = std::chrono::steady_clock::now();
    for (int n = 1; n <= 16; ++n) {
        std::string wav = JoinPath(scratch, SongName(n, "wav"));
        DecodeToFile(JoinPath(fixture.songs, SongName(n, "ogg")), wav);
        CopyFileReplacing(wav, wav + ".1");
        CopyFileReplacing(wav + ".1", wav + ".2");
    }
    return Seconds(start);
}

PairedRounds rounds({1, 2, 4, 0}); // 0: the default, one per core

double TimedApply(Fixture& fixture, int jobs) {
    SilentPrompts prompts;
    SilentProgress progress;
    PrepareWorkFolder(fixture.base, prompts);
    auto start = std::chrono::steady_clock::now();
    if (!ApplyPatch(fixture.game, fixture.pack, fixture.base, prompts, progress, nullptr, jobs))
        throw std::runtime_error("apply failed: " + prompts.last);
    return Seconds(start);
}

double TimedBare(Fixture& fixture) {
    ScratchFolder scratch;
    return BareDecodeAndCopyTwice(fixture, scratch.path());
}

void BM_ApplyPatchVersusBareDecode(benchmark::State& state) {
    Fixture& fixture = Shared();
    for (auto _ : state)
        state.SetIterationTime(
            rounds.RunRound([&] { return TimedBare(fixture); },
                            [&](int jobs) { return TimedApply(fixture, jobs); }));
    for (int jobs : {1, 2, 4, 0})
        state.counters["ratio_jobs" + std::to_string(jobs)] = rounds.MedianRatio(jobs);
}

BENCHMARK(BM_ApplyPatchVersusBareDecode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (rounds.Rounds() == 0)
        return 0;
    rounds.PrintTable("apply", "bare decode and two copies");
    std::printf("apply with every core (%d threads) / serial bare decode and two copies: %.3f "
                "(target at most 0.75)\n",
                WorkerPool::DefaultThreads(), rounds.MedianRatio(0));
    return 0;
}
