#include "platform/ScratchFile.h"

#include "platform/FileOps.h"
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
    folder_ = folder;
    descriptor_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (descriptor_ >= 0)
        return true;
    // File systems without unnamed files: a fresh name, removed as soon as it is open.
    std::random_device random;
    SystemError error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = JoinPath(folder, ".kp-scratch-" + std::to_string(random()));
        descriptor_ = CreateExclusive(name, &error);
        if (descriptor_ >= 0) {
            ::unlink(name.c_str());
            return true;
        }
        if (error.Kind() != FileFailure::Exists)
            break;
    }
    return Fail(error);
}

bool ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    while (size > 0) {
        const ssize_t got = ::pread(descriptor_, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(SystemError::Last("pread", folder_));
        if (got == 0)
            return Fail({"pread", folder_, EIO});
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}
