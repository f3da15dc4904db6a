#include "tests/patcher/PackFixture.h"

#include "archive/FlatArchiveFormat.h"
#include "audio/TrackEncodeJob.h"
#include "common/PackLayout.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <lzo/lzo1x.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

std::uint32_t GetLE32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::uint32_t Size32(std::size_t size) {
    return static_cast<std::uint32_t>(size);
}

// Block table and LZO1X-1 blocks of at most 32768 input bytes each.
std::string CompressedEntryData(const std::string& data) {
    static const bool initialised = lzo_init() == LZO_E_OK;
    if (!initialised)
        throw std::runtime_error("lzo_init failed");
    std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
    std::string table, blocks;
    std::uint32_t count = 0;
    for (std::size_t at = 0; at < data.size() || count == 0; at += 32768) {
        std::size_t length = std::min<std::size_t>(32768, data.size() - at);
        std::vector<unsigned char> out(length + length / 16 + 64 + 3);
        lzo_uint outLength = 0;
        lzo1x_1_compress(reinterpret_cast<const unsigned char*>(data.data()) + at, length,
                         out.data(), &outLength, work.data());
        PutLE32(table, Size32(outLength));
        PutLE32(table, Size32(length));
        PutLE32(table, Size32(blocks.size()));
        blocks.append(reinterpret_cast<const char*>(out.data()), outLength);
        ++count;
        if (data.empty())
            break;
    }
    std::string result;
    PutLE32(result, count);
    return result + table + blocks;
}

} // namespace

std::string FlatArchiveBytes(const std::vector<PackEntry>& entries, bool compressed) {
    std::string archive(4, '\0');
    archive.append(kFixedHeaderBlock.begin(), kFixedHeaderBlock.end());
    std::string directory;
    PutLE32(directory, Size32(entries.size()));
    for (const auto& entry : entries) {
        std::string stored = compressed ? CompressedEntryData(entry.data) : entry.data;
        PutLE32(directory, Size32(entry.name.size()));
        directory += entry.name;
        PutLE32(directory, Size32(stored.size()));
        PutLE32(directory, Size32(entry.data.size()));
        PutLE32(directory, Size32(archive.size()));
        directory += std::string(8, '\0') + "\x58\x5B\x85\x01";
        archive += stored;
    }
    std::string offset;
    PutLE32(offset, Size32(archive.size()));
    archive.replace(0, 4, offset);
    return archive + directory;
}

bool ReadStoredArchive(const std::string& bytes, std::vector<PackEntry>& entries) {
    entries.clear();
    if (bytes.size() < 160)
        return false;
    std::size_t at = GetLE32(bytes, 0);
    if (at + 4 > bytes.size())
        return false;
    std::uint32_t count = GetLE32(bytes, at);
    at += 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + 4 > bytes.size())
            return false;
        std::size_t nameLength = GetLE32(bytes, at);
        if (at + 4 + nameLength + 24 > bytes.size())
            return false;
        std::string name = bytes.substr(at + 4, nameLength);
        at += 4 + nameLength;
        std::size_t stored = GetLE32(bytes, at), unpacked = GetLE32(bytes, at + 4),
                    offset = GetLE32(bytes, at + 8);
        if (stored != unpacked || offset + stored > bytes.size() ||
            bytes.compare(at + 12, 12, std::string(8, '\0') + "\x58\x5B\x85\x01") != 0)
            return false;
        entries.push_back({name, bytes.substr(offset, stored)});
        at += 24;
    }
    return at == bytes.size();
}

const std::vector<std::string>& SongOggs() {
    static const std::vector<std::string> songs = [] {
        TempFolder folder;
        std::vector<std::string> encoded;
        for (int n = 1; n <= PackLayout::kSongCount; ++n) {
            std::string wav = folder.file(PackLayout::SongFileName(n, "wav"));
            WriteFileBytes(
                wav, MakeWav(1, 22050, 16,
                             Pcm16Bytes(ToneSamples(1, 22050, 2205 + 97 * n, 220.0 + 40 * n))));
            TrackEncodeJob job;
            if (!job.Run(wav))
                throw std::runtime_error("cannot encode the fixture songs");
            encoded.push_back(ReadFileBytes(folder.file(PackLayout::SongFileName(n))));
        }
        return encoded;
    }();
    return songs;
}

std::string FixturePlaylistScript(const std::vector<std::string>& titles) {
    std::string script(kPlaylistScriptHead);
    for (int index = 0; index < PackLayout::kSongCount; ++index) {
        const auto at = static_cast<std::size_t>(index);
        const std::string title =
            at < titles.size() ? titles[at] : "Song " + std::to_string(index + 1);
        script +=
            std::string(kRegisterSongPrefix) + std::to_string(index) + " \"" + title + "\" 1.0\r\n";
    }
    return script + std::string(kPlaylistScriptTail);
}

std::vector<PackEntry> RegularPackEntries() {
    std::vector<PackEntry> entries = {{"velk/playlists.con", kPlaylistsText},
                                      {"velk/US.ssc", kUsSscText}};
    for (int n = 1; n <= PackLayout::kSongCount; ++n)
        entries.push_back({PackLayout::PackEntryName(PackLayout::SongFileName(n)),
                           SongOggs()[static_cast<std::size_t>(n - 1)]});
    return entries;
}

void MakeGameFolder(const std::string& folder) {
    std::filesystem::create_directories(folder + "/Mods/BfVietnam/settings");
    std::filesystem::create_directories(folder + "/Mods/BfVietnam/Archives");
    WriteFileBytes(folder + "/Mods/BfVietnam/settings/Default.con", kGameDefaultCon);
    WriteFileBytes(folder + "/Mods/BfVietnam/Archives/music.rfa", kGameMusicRfa);
}

std::map<std::string, std::string> TreeSnapshot(const std::string& folder) {
    std::map<std::string, std::string> tree;
    namespace fs = std::filesystem;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        std::string relative = fs::relative(item.path(), folder).generic_string();
        const auto status = item.symlink_status();
        if (fs::is_symlink(status))
            tree[relative] = "<link to " + fs::read_symlink(item.path()).string() + ">";
        else if (fs::is_directory(status))
            tree[relative] = "<folder>";
        else if (fs::is_regular_file(status))
            tree[relative] = ReadFileBytes(item.path().string());
        else
            tree[relative] = "<special>"; // a pipe or device is never read
    }
    return tree;
}
