#pragma once
#include "platform/SystemError.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

// SHA-256, fed piece by piece: OpenSSL's libcrypto (EVP) on Linux, the system's CNG (BCrypt)
// on Windows. The constructor throws std::runtime_error when the system offers no SHA-256
// (a broken installation); nothing else throws.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest of everything fed so far, as 64 lower-case hex digits. Ends the feeding.
    std::string HexDigest();

    // The digest of a regular file's bytes; nothing when it cannot be opened or read, or when
    // the name is a link or not a regular file. error (when given) then tells why: Busy when
    // another program held it past the retry.
    static std::optional<std::string> OfFile(const std::string& path, SystemError* error = nullptr);

private:
    using Digest = std::array<unsigned char, 32>;
    Digest Finish();

    struct Context;
    Context* context_;
};
