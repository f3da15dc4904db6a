#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A fixed ring of 16-bit samples between the decoding worker and the sound device. Not
// thread-safe: the player guards it with its lock. Never fails.
class SampleRing {
public:
    explicit SampleRing(std::size_t capacity) : samples_(capacity) {}

    std::size_t Size() const { return size_; }
    std::size_t Free() const { return samples_.size() - size_; }
    void Clear() { start_ = size_ = 0; }
    // Appends up to count samples; returns how many fitted.
    std::size_t Put(const std::int16_t* samples, std::size_t count);
    // Removes up to count samples from the front into samples; returns how many.
    std::size_t Take(std::int16_t* samples, std::size_t count);

private:
    std::vector<std::int16_t> samples_;
    std::size_t start_ = 0;
    std::size_t size_ = 0;
};
