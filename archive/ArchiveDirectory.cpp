#include "archive/ArchiveDirectory.h"

#include "archive/FlatArchiveFormat.h"
#include "common/LittleEndian.h"
#include "platform/InputFile.h"

#include <cstring>

namespace {

// Name length, stored size, unpacked size, data offset and the reserved bytes: a record with
// an empty name.
constexpr std::uint64_t kSmallestRecord = 4 + 4 + 4 + 4 + kReservedRecordBytes.size();

// Reads size bytes at offset, or fails at the end of the file or on a read error.
bool ReadExactly(InputFile& file, std::uint64_t offset, void* data, std::size_t size) {
    auto* at = static_cast<unsigned char*>(data);
    while (size > 0) {
        const std::int64_t got = file.ReadAt(offset, at, size);
        if (got <= 0)
            return false;
        at += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool ReadNumber(InputFile& file, std::uint64_t offset, std::uint32_t& value) {
    unsigned char bytes[4];
    if (!ReadExactly(file, offset, bytes, sizeof bytes))
        return false;
    value = LittleEndian32(bytes);
    return true;
}

// Where the directory offset is: after the magic when the archive starts with it.
std::uint64_t DirectoryOffsetField(InputFile& file) {
    char magic[kArchiveMagic.size()];
    const bool hasMagic = ReadExactly(file, 0, magic, sizeof magic) &&
                          std::memcmp(magic, kArchiveMagic.data(), sizeof magic) == 0;
    return hasMagic ? kArchiveMagic.size() : 0;
}

class RecordReader {
public:
    RecordReader(InputFile& file, std::uint64_t at) : file_(file), at_(at) {}

    // One record; false with why set.
    bool Read(ArchiveEntry& entry, std::string& why) {
        std::uint32_t nameLength = 0;
        if (!ReadNumber(file_, at_, nameLength))
            return CutShort(why);
        if (nameLength > kMaxEntryNameLength) {
            why = "an entry name is longer than 511 bytes";
            return false;
        }
        entry.name.assign(nameLength, '\0');
        unsigned char numbers[12];
        if (!ReadExactly(file_, at_ + 4, entry.name.data(), nameLength) ||
            !ReadExactly(file_, at_ + 4 + nameLength, numbers, sizeof numbers))
            return CutShort(why);
        entry.storedSize = LittleEndian32(numbers);
        entry.unpackedSize = LittleEndian32(numbers + 4);
        entry.dataOffset = LittleEndian32(numbers + 8);
        at_ += 4 + nameLength + sizeof numbers + kReservedRecordBytes.size();
        if (at_ > file_.Size())
            return CutShort(why);
        return true;
    }

private:
    static bool CutShort(std::string& why) {
        why = "its directory is cut short";
        return false;
    }

    InputFile& file_;
    std::uint64_t at_;
};

} // namespace

std::optional<ArchiveDirectory> ArchiveDirectory::Read(InputFile& archive, std::string& why) {
    const std::uint64_t length = archive.Size();
    std::uint32_t directoryOffset = 0;
    std::uint32_t count = 0;
    if (!ReadNumber(archive, DirectoryOffsetField(archive), directoryOffset) ||
        std::uint64_t{directoryOffset} + 4 > length ||
        !ReadNumber(archive, directoryOffset, count)) {
        why = "its directory offset lies beyond the end of the file";
        return std::nullopt;
    }
    // Checked before anything is sized by it.
    if (count > (length - directoryOffset - 4) / kSmallestRecord) {
        why = "its directory lists more entries than it can hold";
        return std::nullopt;
    }
    ArchiveDirectory directory;
    directory.entries.resize(count);
    RecordReader records(archive, std::uint64_t{directoryOffset} + 4);
    for (ArchiveEntry& entry : directory.entries) {
        if (!records.Read(entry, why))
            return std::nullopt;
    }
    directory.stored = count == 0 || directory.entries.front().storedSize ==
                                         directory.entries.front().unpackedSize;
    return directory;
}

const ArchiveEntry* ArchiveDirectory::Find(std::string_view name) const {
    for (const ArchiveEntry& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}
