#pragma once
#include "import/ByteSource.h"

class InputFile;

// An open file as a ByteSource; the file stays the caller's.
class FileBytes : public ByteSource {
public:
    explicit FileBytes(InputFile& file) : file_(file) {}
    std::uint64_t Size() const override;
    bool ReadAt(std::uint64_t offset, void* into, std::size_t count) override;

private:
    InputFile& file_;
};
