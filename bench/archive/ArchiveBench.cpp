// Block decoding against liblzo2's safe decoder, and packing/unpacking a folder of sixteen
// 20 MB files against copying the same files one by one. Each pair runs in the same process
// and the ratios (baseline time / our time, so 1.0 means as fast) are printed at the end.
#include "archive/DecompressBlock.h"
#include "archive/FlatArchiveWriter.h"
#include "archive/UnpackArchive.h"
#include "common/DeleteFolderTree.h"

#include <benchmark/benchmark.h>
#include <lzo/lzo1x.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBlockSize = 32768;
constexpr int kBlocks = 32;

std::string TextLike(std::size_t size, std::mt19937& random) {
    static const char* const words[] = {"the ",    "music ",  "pack ",  "of ",     "game ",
                                        "sound ",  "volume ", "track ", "player ", "\r\n",
                                        "US.ssc ", "0.75 ",   "loop ",  "fade ",   "playlist "};
    std::string out;
    while (out.size() < size)
        out += words[random() % 15];
    out.resize(size);
    return out;
}

// Text, runs and noise in random pieces, like a mix of scripts and sound data.
std::string Mixed(std::size_t size, std::mt19937& random) {
    std::string out;
    while (out.size() < size) {
        switch (random() % 3) {
        case 0:
            out += TextLike(64 + random() % 512, random);
            break;
        case 1:
            out.append(4 + random() % 200, static_cast<char>(random()));
            break;
        default:
            for (int i = 0; i < 128; ++i)
                out.push_back(static_cast<char>(random() & 0x0F)); // quiet 4-bit noise
        }
    }
    out.resize(size);
    return out;
}

struct BlockSet {
    std::vector<std::string> compressed;
    std::vector<std::uint8_t> output = std::vector<std::uint8_t>(kBlockSize + 4);
};

BlockSet& Blocks(int kind) {
    static std::map<int, BlockSet> sets;
    auto found = sets.find(kind);
    if (found != sets.end())
        return found->second;
    if (lzo_init() != LZO_E_OK)
        throw std::runtime_error("lzo_init failed");
    std::mt19937 random(kind + 1);
    std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
    BlockSet& set = sets[kind];
    for (int i = 0; i < kBlocks; ++i) {
        const std::string data =
            kind == 0 ? TextLike(kBlockSize, random) : Mixed(kBlockSize, random);
        std::string packed(kBlockSize + kBlockSize / 16 + 67, '\0');
        lzo_uint length = packed.size();
        lzo1x_1_compress(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                         reinterpret_cast<unsigned char*>(packed.data()), &length, work.data());
        packed.resize(length);
        set.compressed.push_back(packed);
    }
    return set;
}

void BM_DecompressBlock(benchmark::State& state) {
    BlockSet& set = Blocks(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (const std::string& block : set.compressed) {
            const int code = DecompressBlock(reinterpret_cast<const std::uint8_t*>(block.data()),
                                             set.output.data(),
                                             static_cast<std::uint32_t>(block.size()), kBlockSize);
            benchmark::DoNotOptimize(code);
        }
    state.SetBytesProcessed(state.iterations() * kBlocks * static_cast<int64_t>(kBlockSize));
}

void BM_LzoDecompressSafe(benchmark::State& state) {
    BlockSet& set = Blocks(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (const std::string& block : set.compressed) {
            lzo_uint length = kBlockSize;
            const int code =
                lzo1x_decompress_safe(reinterpret_cast<const unsigned char*>(block.data()),
                                      block.size(), set.output.data(), &length, nullptr);
            benchmark::DoNotOptimize(code);
        }
    state.SetBytesProcessed(state.iterations() * kBlocks * static_cast<int64_t>(kBlockSize));
}

BENCHMARK(BM_DecompressBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LzoDecompressSafe)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

constexpr int kSongs = 16;
constexpr std::size_t kSongBytes = 20'000'000;

std::string SongFolderPath() {
    return (std::filesystem::temp_directory_path() /
            ("kp-archive-bench-" + std::to_string(::getpid())))
        .string();
}

// Sixteen 20 MB files under the temporary folder, made once per run.
const std::string& SongFolder() {
    static const std::string folder = [] {
        const std::string base = SongFolderPath();
        std::filesystem::create_directories(base + "/US");
        std::mt19937 random(5);
        std::string data(kSongBytes, '\0');
        for (int i = 0; i < kSongs; ++i) {
            for (char& byte : data)
                byte = static_cast<char>(random());
            char name[32];
            std::snprintf(name, sizeof name, "/US/music%.2d.wav", i + 1);
            std::FILE* file = std::fopen((base + name).c_str(), "wb");
            if (!file || std::fwrite(data.data(), 1, data.size(), file) != data.size())
                throw std::runtime_error("cannot write the sample songs");
            std::fclose(file);
        }
        ::sync(); // so that the first measured round does not pay for writing the samples
        return base;
    }();
    return folder;
}

// The plain copy the archive is measured against: each file read and written through one
// 1 MiB buffer into a file of the same name, replaced each round as the archive is.
void CopyFile(const std::string& from, const std::string& to, std::vector<char>& buffer) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (!in || !out)
        throw std::runtime_error("cannot open a file to copy");
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;)
        if (std::fwrite(buffer.data(), 1, got, out) != got)
            throw std::runtime_error("copy failed");
    std::fclose(in);
    if (std::fclose(out) != 0)
        throw std::runtime_error("copy failed");
}

void CopySongs(const std::string& to) {
    std::filesystem::create_directories(to);
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : std::filesystem::directory_iterator(SongFolder() + "/US"))
        CopyFile(entry.path().string(), to + "/" + entry.path().filename().string(), buffer);
}

void BM_CopySongs(benchmark::State& state) {
    CopySongs(SongFolder() + "/copy"); // one untimed round, as the others get
    for (auto _ : state)
        CopySongs(SongFolder() + "/copy");
    state.SetBytesProcessed(state.iterations() * kSongs * static_cast<int64_t>(kSongBytes));
}

bool PackSongs() {
    FlatArchiveWriter writer;
    writer.sourceFolder = SongFolder() + "/US";
    writer.namePrefix = "music/US";
    return writer.WriteArchive(SongFolder() + "/music.rfa");
}

void BM_WriteArchive(benchmark::State& state) {
    PackSongs(); // one untimed round, as the others get
    for (auto _ : state)
        if (!PackSongs())
            state.SkipWithError("WriteArchive failed");
    state.SetBytesProcessed(state.iterations() * kSongs * static_cast<int64_t>(kSongBytes));
}

// UnpackArchive traces every entry on standard output; keep that out of the report.
bool UnpackQuietly(const std::string& archive, const std::string& target) {
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    const bool ok(UnpackArchive(archive, target));
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(null);
    ::close(saved);
    return ok;
}

void BM_UnpackArchive(benchmark::State& state) {
    PackSongs();
    const std::string target = SongFolder() + "/unpacked";
    std::filesystem::create_directories(target);
    UnpackQuietly(SongFolder() + "/music.rfa", target); // one untimed round
    for (auto _ : state)
        if (!UnpackQuietly(SongFolder() + "/music.rfa", target))
            state.SkipWithError("UnpackArchive failed");
    state.SetBytesProcessed(state.iterations() * kSongs * static_cast<int64_t>(kSongBytes));
}

BENCHMARK(BM_CopySongs)->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteArchive)->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackArchive)->Iterations(4)->Unit(benchmark::kMillisecond);

// Remembers each run's time so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* label, const std::string& ours, const std::string& baseline) {
        if (times_.count(ours) && times_.count(baseline) && times_[ours] > 0)
            std::printf("ratio %-40s %.2f\n", label, times_[baseline] / times_[ours]);
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nThroughput of ours / baseline (1.00 = as fast, target 0.80):\n");
    reporter.PrintRatio("DecompressBlock, text-like blocks", "BM_DecompressBlock/0",
                        "BM_LzoDecompressSafe/0");
    reporter.PrintRatio("DecompressBlock, mixed blocks", "BM_DecompressBlock/1",
                        "BM_LzoDecompressSafe/1");
    reporter.PrintRatio("WriteArchive vs file copy", "BM_WriteArchive/iterations:4",
                        "BM_CopySongs/iterations:4");
    reporter.PrintRatio("UnpackArchive vs file copy", "BM_UnpackArchive/iterations:4",
                        "BM_CopySongs/iterations:4");
    DeleteFolderTree(SongFolderPath());
    benchmark::Shutdown();
    return 0;
}
