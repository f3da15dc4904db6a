#include "patcher/SmallFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes,
                                         bool followLinks) {
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
    const int file = path.empty() ? -1 : ::open(path.c_str(), flags);
    if (file < 0)
        return std::nullopt;
    struct stat info;
    std::optional<std::string> bytes;
    if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::size_t>(info.st_size) <= maxBytes) {
        std::string data(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t got = ::read(file, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        data.resize(done); // a file that shrank while being read gives what was there
        bytes = std::move(data);
    }
    ::close(file);
    return bytes;
}
