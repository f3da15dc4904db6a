#include "builder/WavHeaderReader.h"

#include "audio/ChunkReading.h"
#include "audio/WavReader.h"
#include "platform/StdFile.h"

#include <algorithm>
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

// Regular files only: a folder opens fine on Linux but is no WAV file, and opening a named
// pipe would wait for a writer, freezing the window while the user types a path.
FilePtr OpenRegularFile(const std::string& path) {
    return FilePtr(OpenRegularStdFile(path));
}

// Skips chunks up to the wanted one, as the build's reader does, but quietly. Returns the
// chunk's length with the file at its body, or false at the end of the file.
bool FindChunk(std::FILE* file, const char* wanted, std::uint32_t& length) {
    for (;;) {
        unsigned char header[8];
        if (!ReadBytes(file, header, sizeof header))
            return false;
        length = LittleEndian32(header + 4);
        if (std::memcmp(header, wanted, 4) == 0)
            return true;
        if (!skipRiffChunkBody(file, length))
            return false;
    }
}

std::uint64_t BytesToEnd(std::FILE* file) {
    const std::int64_t here = TellStdFile(file);
    const auto length = OpenFileLength(file);
    if (here < 0 || !length || *length < static_cast<std::uint64_t>(here))
        return 0;
    return *length - static_cast<std::uint64_t>(here);
}

} // namespace

bool WavHeaderReader::Open(const std::string& path) {
    FilePtr file = OpenRegularFile(path);
    if (!file)
        return false;
    unsigned char riff[12];
    if (!ReadBytes(file.get(), riff, sizeof riff) || !identifyWav(riff, sizeof riff))
        return false;

    std::uint32_t formatLength = 0;
    unsigned char format[16];
    if (!FindChunk(file.get(), "fmt ", formatLength) || formatLength < sizeof format ||
        !ReadBytes(file.get(), format, sizeof format) ||
        !skipRiffChunkBody(file.get(), formatLength - sizeof format))
        return false;
    formatTag = LittleEndian16(format);
    channels = LittleEndian16(format + 2);
    sampleRate = LittleEndian32(format + 4);
    byteRate = LittleEndian32(format + 8);
    blockAlign = LittleEndian16(format + 12);
    bitsPerSample = LittleEndian16(format + 14);
    if (formatTag != 1 || !isSupportedWavEncoding(formatTag, channels, blockAlign, bitsPerSample))
        return false;

    if (!FindChunk(file.get(), "data", dataSize))
        return false;
    const std::uint64_t rest = BytesToEnd(file.get());
    // Streamed files say 0 and mean "to the end", as the reader takes it.
    dataPresent = dataSize == 0 ? rest : std::min<std::uint64_t>(dataSize, rest);
    return true;
}
