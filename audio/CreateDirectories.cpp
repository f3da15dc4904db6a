#include "audio/CreateDirectories.h"

#include "platform/FileOps.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::size_t nextSeparator(const std::string& path, std::size_t from) {
    for (std::size_t i = from; i < path.size(); ++i)
        if (isSeparator(path[i]))
            return i;
    return std::string::npos;
}

// Makes sure one folder exists; -1 after the matching message.
int ensureFolder(const std::string& segment) {
    switch (EnsureFolder(segment)) {
    case FolderStatus::Existed:
    case FolderStatus::Created:
        return 0;
    case FolderStatus::Uninspectable:
        std::fprintf(stderr, "Error checking for existence of directory %s: %s\n", segment.c_str(),
                     std::strerror(errno));
        return -1;
    case FolderStatus::CreateFailed:
        std::fprintf(stderr, "Couldn't create directory \"%s\": %s\n", segment.c_str(),
                     std::strerror(errno));
        return -1;
    case FolderStatus::NotAFolder:
        break;
    }
    std::fprintf(stderr, "Error: path segment \"%s\" is not a directory\n", segment.c_str());
    return -1;
}

} // namespace

int createDirectories(const std::string& path) {
    std::size_t start = 0;
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        start = 2;
    // The character at a segment's start is never a separator, so a leading one (or a doubled
    // one) stays in the segment.
    for (std::size_t separator = nextSeparator(path, start + 1); separator != std::string::npos;
         separator = nextSeparator(path, separator + 2)) {
        if (ensureFolder(path.substr(0, separator)) != 0)
            return -1;
    }
    return 0;
}
