#include "platform/Sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

struct Sha256::Context {
    EVP_MD_CTX* md = nullptr;
};

Sha256::Sha256() : context_(new Context) {
    context_->md = EVP_MD_CTX_new();
    if (!context_->md || EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context_->md);
        delete context_;
        throw std::runtime_error("SHA-256 is not available");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_->md);
    delete context_;
}

void Sha256::Update(const void* data, std::size_t size) {
    EVP_DigestUpdate(context_->md, data, size);
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    unsigned char bytes[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->md, bytes, &length);
    for (unsigned int i = 0; i < length && i < digest.size(); ++i)
        digest[i] = bytes[i];
    return digest;
}
