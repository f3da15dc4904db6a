#pragma once
#include "platform/ScratchFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Holds a song's mono float samples between the importer's two passes: the first few million
// in memory, the rest in a scratch file without a name in the destination folder (it vanishes
// with the process, however that ends), so memory stays bounded whatever the length while
// songs of a minute or so never touch the disk.
class SampleStore {
public:
    static constexpr std::size_t kMemorySamples = std::size_t{1} << 22; // 16 MiB

    // Takes over the memory the thread's previous store left, so a thread importing song
    // after song does not fault fresh pages in for each one.
    explicit SampleStore(std::string folder);
    ~SampleStore();
    SampleStore(const SampleStore&) = delete;
    SampleStore& operator=(const SampleStore&) = delete;

    // False when the scratch file cannot be created or written.
    bool Append(const float* samples, std::size_t count);
    // Reads samples [first, first + count); false when they are not all there.
    bool Read(std::uint64_t first, std::size_t count, float* out) const;
    std::uint64_t size() const { return size_; }

private:
    std::string folder_;
    std::vector<float> memory_;
    ScratchFile scratch_;
    std::uint64_t size_ = 0;
};
