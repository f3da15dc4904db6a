#include "common/SmallFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

// Up to mostBytes + 1 bytes, so that a file grown past its checked size is seen as too large.
std::optional<std::string> ReadBounded(int descriptor, std::size_t size, std::size_t mostBytes) {
    std::string bytes(size + (size < mostBytes ? 1 : 0), '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
        const ssize_t got = ::read(descriptor, bytes.data() + have, bytes.size() - have);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    if (have > mostBytes)
        return std::nullopt;
    bytes.resize(have); // a file that shrank while being read gives what was there
    return bytes;
}

} // namespace

std::optional<std::string> SmallFileReader::Read(const std::string& path, std::size_t mostBytes,
                                                 Links links) {
    if (path.empty())
        return std::nullopt;
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY |
                      (links == Links::Refuse ? O_NOFOLLOW : 0);
    const Descriptor file(::open(path.c_str(), flags));
    struct stat info;
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > mostBytes)
        return std::nullopt;
    return ReadBounded(file.get(), static_cast<std::size_t>(info.st_size), mostBytes);
}
