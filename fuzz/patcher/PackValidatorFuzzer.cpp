// Validates an extracted pack in which part comes from the input: its first byte picks what
// (0 playlists.con, 1 US.ssc, 2 all sixteen songs, anything else an extra entry), the rest
// is the content. The other files are Korvane's: the known sound script, a playlist script
// of its layout and, as every song, the last song input that was accepted (a seed song in
// the corpus provides one early).
#include "common/PackLayout.h"
#include "common/PlaylistScriptLayout.h"
#include "fuzz/FuzzInputFile.h"
#include "patcher/pack/KnownSoundScript.h"
#include "patcher/pack/PackValidator.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string PlaylistScript() {
    std::string text(kPlaylistScriptHead);
    for (int index = 0; index < 16; ++index)
        text += std::string(kRegisterSongPrefix) + std::to_string(index) + " \"Song\" 1.0\r\n";
    return text + std::string(kPlaylistScriptTail);
}

std::string SongName(int number) {
    return PackLayout::SongFileName(number);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path folder = [] {
        fs::path path = FuzzInputFile(nullptr, 0, "pack");
        fs::remove(path);
        return path;
    }();
    static std::string acceptedSong;
    if (size == 0)
        return 0;
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder / "velk");
    WriteFile(folder / "velk/playlists.con", data[0] == 0 ? content : PlaylistScript());
    WriteFile(folder / "velk/US.ssc", data[0] == 1 ? content : std::string(KnownSoundScript()));
    for (int number = 1; number <= 16; ++number)
        WriteFile(folder / "velk" / SongName(number), data[0] == 2 ? content : acceptedSong);
    if (data[0] > 2)
        WriteFile(folder / "velk/extra", content);
    PackValidator validator(folder.string());
    const std::string message = validator.Check();
    if (message.empty() && validator.Songs().size() != 16)
        std::abort();
    if (!message.empty() && !validator.Songs().empty())
        std::abort();
    if (data[0] == 2 && message.empty())
        acceptedSong = content;
    return 0;
}
