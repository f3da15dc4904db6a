#include "import/SampleStore.h"

#include <algorithm>
#include <cstring>

bool SampleStore::Append(const float* samples, std::size_t count) {
    if (memory_.capacity() == 0)
        memory_.reserve(
            std::min<std::size_t>(kMemorySamples, std::max<std::size_t>(count, 1 << 16)));
    const std::size_t inMemory =
        std::min(count, kMemorySamples - std::min<std::size_t>(kMemorySamples, memory_.size()));
    memory_.insert(memory_.end(), samples, samples + inMemory);
    size_ += inMemory;
    if (inMemory == count)
        return true;
    if (!spill_.open() && !spill_.Create(folder_))
        return false;
    const std::size_t rest = count - inMemory;
    if (!spill_.Write(samples + inMemory, rest * sizeof(float)))
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
    return count == 0 || spill_.ReadAt(out, count * sizeof(float), (first - held) * sizeof(float));
}
