#include "platform/ScratchFile.h"

#include "platform/FileSteps.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

ScratchFile::~ScratchFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool ScratchFile::Create(const std::string& folder) {
    descriptor_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (descriptor_ >= 0)
        return true;
    // File systems without unnamed files: a fresh name, removed as soon as it is open.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
        const std::string name = folder + "/.kp-scratch-" + std::to_string(random());
        descriptor_ = CreateExclusive(name);
        if (descriptor_ >= 0)
            ::unlink(name.c_str());
        else if (errno != EEXIST)
            return false;
    }
    return descriptor_ >= 0;
}

bool ScratchFile::Append(const char* data, std::size_t size) {
    return WriteFully(descriptor_, data, size);
}

bool ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    while (size > 0) {
        const ssize_t got = ::pread(descriptor_, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}
