#include "archive/FlatArchiveWriter.h"

#include "archive/ArchiveIo.h"
#include "archive/FlatArchiveFormat.h"
#include "common/LittleEndian.h"
#include "platform/FileOps.h"
#include "platform/StdFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;
constexpr std::uint64_t kLargestOffset = std::numeric_limits<std::uint32_t>::max();

struct InputCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using SourceStream = std::unique_ptr<std::FILE, InputCloser>;

std::string WithoutTrailingSeparator(std::string folder) {
    // A root ("/", "C:\") keeps its separator.
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    return folder;
}

bool WriteAll(std::FILE* file, const void* data, std::size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

std::uint64_t RecordSize(const std::string& entryName) {
    return 4 + entryName.size() + 12 + kReservedRecordBytes.size();
}

} // namespace

void FlatArchiveWriter::ScanFolder(const std::string& folder, const std::string& relativeFolder) {
    std::vector<FolderEntry> listed = ListFolder(folder);
    // Sorted byte-wise (UTF-8) so that the same folder packs to the same bytes on every machine.
    std::sort(listed.begin(), listed.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    std::vector<std::pair<std::string, std::string>> subfolders; // path, relative entry name
    for (const FolderEntry& entry : listed) {
        const std::string& name = entry.name;
        // Entry names join with "/" on every system, paths with the system's separator.
        const std::string relative = relativeFolder.empty() ? name : relativeFolder + "/" + name;
        const std::string path = JoinPath(folder, name);
        // Linked folders are not followed, so a link loop cannot make the scan endless; a link
        // to a regular file is packed as that file.
        if (entry.kind == PathKind::Folder) {
            subfolders.emplace_back(path, relative);
        } else if (entry.kind == PathKind::RegularFile || entry.kind == PathKind::Link) {
            const std::optional<std::uint64_t> size = FileLength(path);
            if (!size)
                continue;
            const std::string entryName =
                namePrefix.empty() ? relative : namePrefix + "/" + relative;
            sources_.push_back({path, entryName, *size});
        }
    }
    for (const auto& [path, relative] : subfolders)
        ScanFolder(path, relative);
}

bool FlatArchiveWriter::FitsThirtyTwoBits() const {
    std::uint64_t end = kDataAreaStart + 4;
    for (const SourceFile& source : sources_) {
        end += source.listedSize + RecordSize(source.entryName);
        if (end > kLargestOffset)
            return false;
    }
    return true;
}

// Copies at most size bytes; `copied` tells how many came. False when fewer came.
bool FlatArchiveWriter::CopyBytes(std::FILE* input, std::uint64_t size, std::uint32_t& copied) {
    copied = 0;
    copyBuffer_.resize(kCopyChunk);
    while (copied < size) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, size - copied));
        const std::size_t got = std::fread(copyBuffer_.data(), 1, wanted, input);
        if (got > 0 && !WriteAll(output_.get(), copyBuffer_.data(), got))
            return false;
        copied += static_cast<std::uint32_t>(got);
        if (got < wanted)
            return false;
    }
    return true;
}

void FlatArchiveWriter::AddEntry(const std::string& name, std::uint32_t copied,
                                 std::uint64_t listedSize) {
    entries_.push_back({name, copied, static_cast<std::uint32_t>(listedSize), position_});
    position_ += copied;
}

std::string FlatArchiveWriter::DirectoryBytes() const {
    std::string bytes;
    AppendLittleEndian32(bytes, static_cast<std::uint32_t>(entries_.size()));
    for (const ArchiveEntry& entry : entries_) {
        AppendLittleEndian32(bytes, static_cast<std::uint32_t>(entry.name.size()));
        bytes += entry.name;
        AppendLittleEndian32(bytes, entry.storedSize);
        AppendLittleEndian32(bytes, entry.unpackedSize);
        AppendLittleEndian32(bytes, entry.dataOffset);
        bytes.append(kReservedRecordBytes.begin(), kReservedRecordBytes.end());
    }
    return bytes;
}

bool FlatArchiveWriter::Begin(const std::string& outputPath) {
    entries_.clear();
    position_ = kDataAreaStart;
    plannedEnd_ = kDataAreaStart + 4;
    // A new file, never one that shares its bytes with another name (a hard link into the
    // game folder, say) or reached through a link. Only a file or a link is replaced.
    const PathKind existing = InspectPath(outputPath).kind;
    if (existing == PathKind::RegularFile || existing == PathKind::Link) {
        if (!RemoveFile(outputPath))
            return false;
    } else if (existing != PathKind::Missing) {
        return false;
    }
    output_.reset(CreateNewOutputFile(outputPath));
    if (!output_)
        return false;
    const std::uint8_t placeholder[4] = {0, 0, 0, 0};
    return WriteAll(output_.get(), placeholder, 4) &&
           WriteAll(output_.get(), kFixedHeaderBlock.data(), kFixedHeaderBlock.size());
}

bool FlatArchiveWriter::Append(const std::string& sourcePath, const std::string& entryName) {
    SourceStream input(OpenRegularStdFile(sourcePath));
    const std::optional<std::uint64_t> length = input ? OpenFileLength(input.get()) : std::nullopt;
    if (!output_ || !length)
        return false;
    const std::uint64_t size = *length;
    if (plannedEnd_ + size + RecordSize(entryName) > kLargestOffset)
        return false;
    std::uint32_t copied = 0;
    if (!CopyBytes(input.get(), size, copied))
        return false;
    plannedEnd_ += size + RecordSize(entryName);
    AddEntry(entryName, copied, size);
    return std::fflush(output_.get()) == 0;
}

bool FlatArchiveWriter::Finish() {
    if (!output_)
        return false;
    const std::string directory = DirectoryBytes();
    std::string offsetField;
    AppendLittleEndian32(offsetField, position_);
    const bool written = WriteAll(output_.get(), directory.data(), directory.size()) &&
                         std::fseek(output_.get(), 0, SEEK_SET) == 0 &&
                         WriteAll(output_.get(), offsetField.data(), offsetField.size());
    copyBuffer_ = {};
    return std::fclose(output_.release()) == 0 && written;
}

void FlatArchiveWriter::Abandon() {
    output_.reset();
    copyBuffer_ = {};
}

bool FlatArchiveWriter::WriteArchive(const std::string& outputPath) {
    sources_.clear();
    ScanFolder(WithoutTrailingSeparator(sourceFolder), "");
    if (!FitsThirtyTwoBits() || !Begin(outputPath))
        return false;
    bool allCopied = true;
    for (const SourceFile& source : sources_) {
        std::uint32_t copied = 0;
        SourceStream input(OpenStdFile(source.path, "rb"));
        if (!input || !CopyBytes(input.get(), source.listedSize, copied)) {
            allCopied = false;
            if (std::ferror(output_.get()))
                return false;
        }
        AddEntry(source.entryName, copied, source.listedSize);
    }
    return Finish() && allCopied;
}
