#include "platform/Sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

// The system's own SHA-256 (CNG), so the Windows programs need no OpenSSL.
struct Sha256::Context {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : context_(new Context) {
    const bool opened = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
                            &context_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
                        BCRYPT_SUCCESS(BCryptCreateHash(context_->algorithm, &context_->hash,
                                                        nullptr, 0, nullptr, 0, 0));
    if (!opened) {
        if (context_->algorithm)
            BCryptCloseAlgorithmProvider(context_->algorithm, 0);
        delete context_;
        throw std::runtime_error("SHA-256 is not available");
    }
}

Sha256::~Sha256() {
    BCryptDestroyHash(context_->hash);
    BCryptCloseAlgorithmProvider(context_->algorithm, 0);
    delete context_;
}

void Sha256::Update(const void* data, std::size_t size) {
    // BCryptHashData takes at most 4 GiB at a time.
    auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    while (size > 0) {
        const ULONG piece = static_cast<ULONG>(size < (1u << 30) ? size : (1u << 30));
        BCryptHashData(context_->hash, bytes, piece, 0);
        bytes += piece;
        size -= piece;
    }
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    BCryptFinishHash(context_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
    return digest;
}
