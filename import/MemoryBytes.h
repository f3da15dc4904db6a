#pragma once
#include "import/ByteSource.h"

// Bytes in memory as a ByteSource; the memory stays the caller's and must outlive this.
class MemoryBytes : public ByteSource {
public:
    MemoryBytes(const void* data, std::size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* into, std::size_t count) override;

private:
    const unsigned char* data_;
    std::size_t size_;
};
