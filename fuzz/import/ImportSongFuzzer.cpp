// Any bytes as a song to import: libsndfile, TagLib and the importer's own checks must refuse
// or convert, never crash or run away.
#include "fuzz/FuzzInputFile.h"
#include "import/SongImporter.h"

#include <sys/stat.h>

#include <atomic>

// libsndfile 1.2.0 leaks its Vorbis header state when an Ogg file is malformed after the first
// header: a library fault, outside this program's reach.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        std::string path = FuzzInputFile(nullptr, 0, "songs");
        ::unlink(path.c_str());
        ::mkdir(path.c_str(), 0700);
        return path;
    }();
    const std::string source = FuzzInputFile(data, size, "song");
    const SongImporter importer(folder, ImportSettings{});
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    importer.Import(source, cancel, permille);
    return 0;
}
