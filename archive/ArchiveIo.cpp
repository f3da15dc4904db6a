#include "archive/ArchiveIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadUint32LE(std::FILE* file, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes)
        return false;
    value = Uint32LEAt(bytes);
    return true;
}

void AppendUint32LE(std::string& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t Uint32LEAt(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
           (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

std::optional<std::uint64_t> OpenFileLength(std::FILE* file) {
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0 || info.st_size < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

std::FILE* CreateOutputFile(const std::string& path) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file)
        ::close(fd);
    return file;
}
