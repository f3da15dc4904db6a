#pragma once
#include <cstddef>
#include <cstdint>

// Bytes read by position: an open file, or memory (the fuzzers, the tests). The container
// readers see their input only through this, so they never trust a size the bytes do not back.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly `count` bytes at `offset`; false when they are not all there or the read
    // fails.
    virtual bool ReadAt(std::uint64_t offset, void* into, std::size_t count) = 0;
};
