#include "archive/ArchiveIo.h"

#include "common/LittleEndian.h"

bool ReadUint32LE(std::FILE* file, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes)
        return false;
    value = LittleEndian32(bytes);
    return true;
}
