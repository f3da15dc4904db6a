// Extracts each input as an archive into a fresh folder inside a fresh parent folder, then
// checks the sentinels: nothing appeared beside the target folder, no extracted file is
// larger than the input allows (its stored bytes, or kMaxExpansion times them once
// decompressed), and a refused archive left nothing behind.
#include "archive/DecodeCompressedEntry.h"
#include "archive/UnpackArchive.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        fs::path base =
            fs::temp_directory_path() / ("kp-fuzz-unpack-" + std::to_string(::getpid()));
        fs::create_directories(base);
        return base;
    }();
    return folder;
}

bool OnlyTargetIn(const fs::path& parent) {
    for (const auto& entry : fs::directory_iterator(parent))
        if (entry.path().filename() != "target")
            return false;
    return true;
}

bool FilesWithin(const fs::path& target, std::uintmax_t largest, bool mayHoldAny) {
    for (const auto& entry : fs::recursive_directory_iterator(target)) {
        if (!mayHoldAny || entry.is_symlink())
            return false;
        if (entry.is_regular_file() && entry.file_size() > largest)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A failing block's line goes to standard output and only slows the fuzzer down.
    if (!std::freopen("/dev/null", "w", stdout))
        return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path archive = WorkFolder() / "archive";
    const fs::path parent = WorkFolder() / "parent";
    const fs::path target = parent / "target";
    std::FILE* file = std::fopen(archive.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    std::error_code error;
    fs::remove_all(parent, error);
    if (!fs::create_directory(parent) || !fs::create_directory(target))
        std::abort();
    const bool extracted(UnpackArchive(archive.string(), target.string(), nullptr));
    if (!OnlyTargetIn(parent))
        std::abort(); // an entry escaped its target folder
    if (!FilesWithin(target, kMaxExpansion * size, extracted))
        std::abort(); // a file larger than the input allows, or leftovers of a refusal
    return 0;
}
