#include "platform/Sha256.h"

#include "platform/InputFile.h"

#include <vector>

std::string Sha256::HexDigest() {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : Finish()) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

std::optional<std::string> Sha256::OfFile(const std::string& path, SystemError* error) {
    InputFile file;
    const auto failed = [&] {
        if (error)
            *error = file.Error();
        return std::nullopt;
    };
    if (!file.Open(path, InputFile::Links::Refuse))
        return failed();
    Sha256 hash;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const std::int64_t got = file.Read(buffer.data(), buffer.size());
        if (got < 0)
            return failed();
        if (got == 0)
            break;
        hash.Update(buffer.data(), static_cast<std::size_t>(got));
    }
    return hash.HexDigest();
}
