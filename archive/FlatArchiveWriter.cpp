#include "archive/FlatArchiveWriter.h"

#include "archive/ArchiveIo.h"
#include "archive/FlatArchiveFormat.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;
constexpr std::uint64_t kLargestOffset = std::numeric_limits<std::uint32_t>::max();

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

bool WriteAll(std::FILE* file, const void* data, std::size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

} // namespace

void FlatArchiveWriter::ScanFolder(const std::string& folder, const std::string& relativeFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::directory_entry> listed;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        listed.push_back(*it);
    // Sorted byte-wise so that the same folder packs to the same bytes on every machine.
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) {
        return a.path().filename().native() < b.path().filename().native();
    });
    std::vector<std::string> subfolders;
    for (const fs::directory_entry& entry : listed) {
        const std::string name = entry.path().filename().native();
        const std::string relative = relativeFolder.empty() ? name : relativeFolder + "/" + name;
        // Linked folders are not followed, so a link loop cannot make the scan endless.
        const bool linked = entry.is_symlink(error);
        if (!linked && entry.is_directory(error)) {
            subfolders.push_back(relative);
        } else if (entry.is_regular_file(error)) {
            const std::uint64_t size = entry.file_size(error);
            const std::string entryName =
                namePrefix.empty() ? relative : namePrefix + "/" + relative;
            sources_.push_back({entry.path().native(), entryName, error ? 0 : size});
        }
    }
    for (const std::string& relative : subfolders)
        ScanFolder(WithoutTrailingSeparator(sourceFolder) + "/" + relative, relative);
}

bool FlatArchiveWriter::FitsThirtyTwoBits() const {
    std::uint64_t end = kDataAreaStart + 4;
    for (const SourceFile& source : sources_) {
        end += source.listedSize + 4 + source.entryName.size() + 12 + kReservedRecordBytes.size();
        if (end > kLargestOffset)
            return false;
    }
    return true;
}

// Copies at most the listed size; `copied` tells how much came. False when less came.
bool FlatArchiveWriter::CopySource(const SourceFile& source, std::FILE* output,
                                   std::uint32_t& copied) {
    copied = 0;
    File input(std::fopen(source.path.c_str(), "rb"));
    if (!input)
        return false;
    while (copied < source.listedSize) {
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(kCopyChunk, source.listedSize - copied));
        const std::size_t got = std::fread(copyBuffer_.data(), 1, wanted, input.get());
        if (got > 0 && !WriteAll(output, copyBuffer_.data(), got))
            return false;
        copied += static_cast<std::uint32_t>(got);
        if (got < wanted)
            return false;
    }
    return true;
}

std::string FlatArchiveWriter::DirectoryBytes() const {
    std::string bytes;
    AppendUint32LE(bytes, static_cast<std::uint32_t>(entries_.size()));
    for (const ArchiveEntry& entry : entries_) {
        AppendUint32LE(bytes, static_cast<std::uint32_t>(entry.name.size()));
        bytes += entry.name;
        AppendUint32LE(bytes, entry.storedSize);
        AppendUint32LE(bytes, entry.unpackedSize);
        AppendUint32LE(bytes, entry.dataOffset);
        bytes.append(kReservedRecordBytes.begin(), kReservedRecordBytes.end());
    }
    return bytes;
}

bool FlatArchiveWriter::WriteArchive(const std::string& outputPath) {
    sources_.clear();
    entries_.clear();
    ScanFolder(WithoutTrailingSeparator(sourceFolder), "");
    if (!FitsThirtyTwoBits())
        return false;
    File output(std::fopen(outputPath.c_str(), "wb"));
    if (!output)
        return false;
    const std::uint8_t placeholder[4] = {0, 0, 0, 0};
    if (!WriteAll(output.get(), placeholder, 4) ||
        !WriteAll(output.get(), kFixedHeaderBlock.data(), kFixedHeaderBlock.size()))
        return false;

    copyBuffer_.resize(kCopyChunk);
    bool allCopied = true;
    std::uint32_t position = kDataAreaStart;
    for (const SourceFile& source : sources_) {
        std::uint32_t copied = 0;
        if (!CopySource(source, output.get(), copied)) {
            allCopied = false;
            if (std::ferror(output.get()))
                return false;
        }
        entries_.push_back(
            {source.entryName, copied, static_cast<std::uint32_t>(source.listedSize), position});
        position += copied;
    }
    copyBuffer_ = {};

    const std::string directory = DirectoryBytes();
    std::string offsetField;
    AppendUint32LE(offsetField, position);
    if (!WriteAll(output.get(), directory.data(), directory.size()) ||
        std::fseek(output.get(), 0, SEEK_SET) != 0 ||
        !WriteAll(output.get(), offsetField.data(), offsetField.size()))
        return false;
    return std::fclose(output.release()) == 0 && allCopied;
}
