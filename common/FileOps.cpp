#include "common/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t mostBytes) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    struct stat info;
    std::string bytes(mostBytes + 1, '\0');
    std::size_t have = 0;
    bool ok = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    while (ok && have < bytes.size()) {
        const ssize_t got = ::read(descriptor, bytes.data() + have, bytes.size() - have);
        if (got < 0 && errno == EINTR)
            continue;
        ok = got >= 0;
        if (got <= 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    ::close(descriptor);
    if (!ok || have > mostBytes)
        return std::nullopt;
    bytes.resize(have);
    return bytes;
}
