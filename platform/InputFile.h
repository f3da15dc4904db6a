#pragma once
#include "platform/SystemError.h"

#include <cstddef>
#include <cstdint>
#include <string>

// A regular file opened for reading by its UTF-8 name. Opening never waits on a named pipe,
// and anything but a regular file (a folder, a device, a pipe) is refused; with
// Links::Refuse a link (on Windows any reparse point) at the name is refused too. A file
// another program holds is tried again for a moment (HeldFileRetry.h) before the open fails
// as Busy. Calls return false (or -1) on failure and show nothing; Error() tells why.
class InputFile {
public:
    enum class Links { Follow, Refuse };

    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool Open(const std::string& path, Links links = Links::Follow);
    bool IsOpen() const { return native_ != -1; }
    // The length when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to size bytes from the current position: the count, 0 at the end, -1 on a
    // read error. Resumes after interruptions.
    std::int64_t Read(void* data, std::size_t size);
    // Reads up to size bytes at offset without moving the position; as Read.
    std::int64_t ReadAt(std::uint64_t offset, void* data, std::size_t size);
    void Close();
    // Why the last call that failed failed.
    const SystemError& Error() const { return error_; }

private:
    bool OpenOnce(const std::string& path, Links links);

    std::intptr_t native_ = -1; // a descriptor on Linux, a handle on Windows
    std::uint64_t size_ = 0;
    std::string path_;
    SystemError error_;
};
