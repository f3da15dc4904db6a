#include "import/SampleStore.h"

#include "common/FileSteps.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

thread_local std::vector<float> spareMemory;

} // namespace

SampleStore::SampleStore(std::string folder) : folder_(std::move(folder)) {
    memory_.swap(spareMemory);
    memory_.clear();
}

SampleStore::~SampleStore() {
    if (scratch_ >= 0)
        ::close(scratch_);
    memory_.swap(spareMemory);
}

bool SampleStore::OpenScratch() {
    scratch_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (scratch_ >= 0)
        return true;
    // File systems without unnamed files: a fresh name, removed as soon as it is open.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && scratch_ < 0; ++attempt) {
        const std::string name = folder_ + "/.kp-scratch-" + std::to_string(random());
        scratch_ = CreateExclusive(name);
        if (scratch_ >= 0)
            ::unlink(name.c_str());
        else if (errno != EEXIST)
            return false;
    }
    return scratch_ >= 0;
}

bool SampleStore::Append(const float* samples, std::size_t count) {
    if (memory_.capacity() == 0)
        memory_.reserve(std::clamp<std::size_t>(count, 1 << 16, kMemorySamples));
    const std::size_t inMemory = std::min(count, kMemorySamples - memory_.size());
    memory_.insert(memory_.end(), samples, samples + inMemory);
    size_ += inMemory;
    const std::size_t rest = count - inMemory;
    if (rest == 0)
        return true;
    if (scratch_ < 0 && !OpenScratch())
        return false;
    if (!WriteFully(scratch_, reinterpret_cast<const char*>(samples + inMemory),
                    rest * sizeof(float)))
        return false;
    size_ += rest;
    return true;
}

bool SampleStore::Read(std::uint64_t first, std::size_t count, float* out) const {
    if (first + count > size_)
        return false;
    const std::uint64_t held = memory_.size();
    if (first < held) {
        const auto now = static_cast<std::size_t>(std::min<std::uint64_t>(count, held - first));
        std::memcpy(out, memory_.data() + first, now * sizeof(float));
        first += now;
        out += now;
        count -= now;
    }
    auto* bytes = reinterpret_cast<char*>(out);
    std::size_t left = count * sizeof(float);
    auto offset = static_cast<off_t>((first - held) * sizeof(float));
    while (left > 0) {
        const ssize_t got = ::pread(scratch_, bytes, left, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        left -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}
