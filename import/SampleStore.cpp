#include "import/SampleStore.h"

#include <algorithm>
#include <cstring>

namespace {

thread_local std::vector<float> spareMemory;

} // namespace

SampleStore::SampleStore(std::string folder) : folder_(std::move(folder)) {
    memory_.swap(spareMemory);
    memory_.clear();
}

SampleStore::~SampleStore() {
    memory_.swap(spareMemory);
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
    if (!scratch_.IsOpen() && !scratch_.Create(folder_))
        return false;
    if (!scratch_.Append(reinterpret_cast<const char*>(samples + inMemory), rest * sizeof(float)))
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
    return count == 0 || scratch_.ReadAt((first - held) * sizeof(float),
                                         reinterpret_cast<char*>(out), count * sizeof(float));
}
