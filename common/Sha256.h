#pragma once
#include <cstddef>
#include <optional>
#include <string>

// SHA-256 through OpenSSL's libcrypto (EVP), fed piece by piece.
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
    // the name is a link or not a regular file.
    static std::optional<std::string> OfFile(const std::string& path);

private:
    struct Context;
    Context* context_;
};
