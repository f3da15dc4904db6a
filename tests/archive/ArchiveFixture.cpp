#include "tests/archive/ArchiveFixture.h"

#include "archive/FlatArchiveFormat.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <algorithm>
#include <filesystem>

#include <random>
#include <stdexcept>

std::string LE32(std::uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    return bytes;
}

std::string BuildArchive(const FixtureArchive& archive) {
    std::string prefix = archive.withMagic ? std::string(kArchiveMagic) : std::string();
    const std::uint32_t dataStart = static_cast<std::uint32_t>(prefix.size()) + kDataAreaStart;
    std::string data;
    std::string directory =
        LE32(archive.entryCount.value_or(static_cast<std::uint32_t>(archive.entries.size())));
    for (const FixtureEntry& entry : archive.entries) {
        const auto position = static_cast<std::uint32_t>(dataStart + data.size());
        data += entry.data;
        const std::uint32_t stored =
            entry.storedSize.value_or(static_cast<std::uint32_t>(entry.data.size()));
        directory += LE32(entry.nameLength.value_or(static_cast<std::uint32_t>(entry.name.size())));
        directory += entry.name;
        directory += LE32(stored) + LE32(entry.unpackedSize.value_or(stored));
        directory += LE32(entry.dataOffset.value_or(position));
        directory.append(kReservedRecordBytes.begin(), kReservedRecordBytes.end());
    }
    const auto offset = static_cast<std::uint32_t>(dataStart + data.size());
    return prefix + LE32(archive.directoryOffset.value_or(offset)) +
           std::string(kFixedHeaderBlock.begin(), kFixedHeaderBlock.end()) + data + directory;
}

std::string BuildStoredArchive(const std::vector<std::pair<std::string, std::string>>& files) {
    FixtureArchive archive;
    for (const auto& [name, data] : files)
        archive.entries.push_back({name, data, {}, {}, {}, {}});
    return BuildArchive(archive);
}

std::string LzoCompress(const std::string& data, LzoLevel level) {
    static const bool ready = lzo_init() == LZO_E_OK;
    if (!ready)
        throw std::runtime_error("lzo_init failed");
    std::vector<unsigned char> work(LZO1X_999_MEM_COMPRESS);
    std::string out(data.size() + data.size() / 16 + 64 + 3, '\0');
    lzo_uint outLength = out.size();
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    auto* dst = reinterpret_cast<unsigned char*>(out.data());
    const int result = level == LzoLevel::Fast
                           ? lzo1x_1_compress(in, data.size(), dst, &outLength, work.data())
                           : lzo1x_999_compress(in, data.size(), dst, &outLength, work.data());
    if (result != LZO_E_OK)
        throw std::runtime_error("lzo compression failed");
    out.resize(outLength);
    return out;
}

std::string CompressedEntryData(const std::string& data, std::size_t blockSize, LzoLevel level) {
    std::string table;
    std::string blocks;
    std::uint32_t count = 0;
    for (std::size_t start = 0; start < data.size(); start += blockSize, ++count) {
        const std::string piece = data.substr(start, blockSize);
        const std::string packed = LzoCompress(piece, level);
        table += LE32(static_cast<std::uint32_t>(packed.size())) +
                 LE32(static_cast<std::uint32_t>(piece.size())) +
                 LE32(static_cast<std::uint32_t>(blocks.size()));
        blocks += packed;
    }
    return LE32(count) + table + blocks;
}

std::string SampleData(SampleKind kind, std::size_t size, std::uint32_t seed) {
    static const char* const words[] = {"music ",   "pack ",  "song ", "the ",    "game ",
                                        "archive ", "block ", "\r\n",  "volume ", "0123 "};
    std::mt19937 random(seed);
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const SampleKind piece =
            kind == SampleKind::Mixed ? static_cast<SampleKind>(random() % 3) : kind;
        switch (piece) {
        case SampleKind::Random:
            for (int i = 0; i < 64; ++i)
                out.push_back(static_cast<char>(random()));
            break;
        case SampleKind::Runs:
            out.append(1 + random() % 300, static_cast<char>(random() % 4));
            break;
        default:
            out += words[random() % 10];
            break;
        }
    }
    out.resize(size);
    return out;
}

namespace {

std::uint32_t LE32At(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

std::vector<ArchiveEntry> ParseDirectory(const std::string& archive) {
    std::vector<ArchiveEntry> entries;
    if (archive.size() < 4) {
        ADD_FAILURE() << "archive shorter than its directory offset";
        return entries;
    }
    std::size_t at = LE32At(archive, 0);
    if (at + 4 > archive.size()) {
        ADD_FAILURE() << "directory offset beyond the archive";
        return entries;
    }
    const std::uint32_t count = LE32At(archive, at);
    at += 4;
    const std::string reserved(kReservedRecordBytes.begin(), kReservedRecordBytes.end());
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + 4 > archive.size() || at + 4 + LE32At(archive, at) + 24 > archive.size()) {
            ADD_FAILURE() << "record " << i << " cut short";
            return entries;
        }
        ArchiveEntry entry;
        const std::uint32_t length = LE32At(archive, at);
        entry.name = archive.substr(at + 4, length);
        at += 4 + length;
        entry.storedSize = LE32At(archive, at);
        entry.unpackedSize = LE32At(archive, at + 4);
        entry.dataOffset = LE32At(archive, at + 8);
        EXPECT_EQ(archive.substr(at + 12, 12), reserved) << "record " << i;
        at += 24;
        entries.push_back(entry);
    }
    EXPECT_EQ(at, archive.size()) << "bytes after the directory";
    return entries;
}

std::vector<std::pair<std::string, std::string>> FilesOutside(const std::string& root,
                                                              const std::string& skip) {
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, std::string>> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (it->path() == fs::path(skip)) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink())
            files.emplace_back(it->path().string(), "-> " + fs::read_symlink(it->path()).string());
        else if (it->is_regular_file())
            files.emplace_back(it->path().string(), ReadFileBytes(it->path().string()));
        else
            files.emplace_back(it->path().string() + "/", "");
    }
    std::sort(files.begin(), files.end());
    return files;
}
