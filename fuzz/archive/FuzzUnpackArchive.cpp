// Extracts each input as an archive into a fresh folder and checks that nothing appeared
// beside that folder.
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

bool OnlyExpectedFilesBeside(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "archive" && name != "target")
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The per-entry trace lines only slow the fuzzer down.
    if (!std::freopen("/dev/null", "w", stdout))
        return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path archive = WorkFolder() / "archive";
    const fs::path target = WorkFolder() / "target";
    std::FILE* file = std::fopen(archive.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    fs::create_directory(target);
    UnpackArchive(archive.string(), target.string());
    if (!OnlyExpectedFilesBeside(WorkFolder()))
        std::abort(); // an entry escaped its target folder
    std::error_code error;
    fs::remove_all(target, error);
    return 0;
}
