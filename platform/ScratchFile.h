#pragma once
#include "platform/SystemError.h"

#include <cstddef>
#include <cstdint>
#include <string>

// A scratch file without a lasting name in a folder, which vanishes with the process however
// it ends: Linux O_TMPFILE (or a fresh name removed as soon as it is open); Windows a fresh
// name opened with FILE_FLAG_DELETE_ON_CLOSE. Calls return false on failure; Error() tells why.
class ScratchFile {
public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    bool Create(const std::string& folder);
    bool IsOpen() const { return descriptor_ >= 0; }
    // Appends at the end (a counted Write step of the file layer).
    bool Append(const char* data, std::size_t size);
    // Reads exactly size bytes at offset; false when they are not all there.
    bool ReadAt(std::uint64_t offset, char* data, std::size_t size) const;
    const SystemError& Error() const { return error_; }

private:
    bool Fail(SystemError error) const;

    int descriptor_ = -1;
    std::string folder_;
    mutable SystemError error_;
};
