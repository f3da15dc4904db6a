#include "builder/WavHeaderReader.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool ReadBytes(std::FILE* file, unsigned char* out, std::size_t count) {
    return std::fread(out, 1, count, file) == count;
}

std::uint16_t LE16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t LE32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

bool HasId(const unsigned char* bytes, const char* id) {
    return std::memcmp(bytes, id, 4) == 0;
}

// Regular files only: a folder opens fine on Linux but is no WAV file, and opening a named
// pipe would wait for a writer, freezing the window while the user types a path.
FilePtr OpenRegularFile(const std::string& path) {
    struct stat before;
    if (path.empty() || ::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        return nullptr;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    struct stat info;
    if (!file || ::fstat(::fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    return file;
}

} // namespace

bool WavHeaderReader::Open(const std::string& path) {
    FilePtr file = OpenRegularFile(path);
    if (!file)
        return false;
    struct stat info;
    ::fstat(::fileno(file.get()), &info);
    const auto fileLength = static_cast<std::uint64_t>(info.st_size);

    unsigned char riff[12];
    if (!ReadBytes(file.get(), riff, sizeof riff) || !HasId(riff, "RIFF") ||
        !HasId(riff + 8, "WAVE"))
        return false;

    unsigned char chunk[8];
    if (!ReadBytes(file.get(), chunk, sizeof chunk) || !HasId(chunk, "fmt "))
        return false;
    const std::uint64_t formatBodyStart = sizeof riff + sizeof chunk;
    const std::uint64_t formatBodyEnd = formatBodyStart + LE32(chunk + 4);

    unsigned char format[16];
    if (!ReadBytes(file.get(), format, 2))
        return false;
    formatTag = LE16(format);
    if (formatTag != 1 || !ReadBytes(file.get(), format + 2, 14))
        return false;
    channels = LE16(format + 2);
    sampleRate = LE32(format + 4);
    byteRate = LE32(format + 8);
    blockAlign = LE16(format + 12);
    bitsPerSample = LE16(format + 14);

    // The chunk length is outside data: it may neither rewind over the fields just read nor
    // point beyond the end of the file.
    if (formatBodyEnd < formatBodyStart + sizeof format || formatBodyEnd > fileLength)
        return false;
    if (std::fseek(file.get(), static_cast<long>(formatBodyEnd), SEEK_SET) != 0)
        return false;

    if (!ReadBytes(file.get(), chunk, sizeof chunk) || !HasId(chunk, "data"))
        return false;
    dataSize = LE32(chunk + 4);
    return true;
}
