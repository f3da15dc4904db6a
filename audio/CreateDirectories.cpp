#include "audio/CreateDirectories.h"

#include "platform/FileOps.h"

#include <cstdio>

// The audio front end's contract (0 or -1, one message on standard error) over the platform's
// one way to create folders with their parents.
int createDirectories(const std::string& path) {
    const std::size_t last = path.find_last_of("/\\");
    // A leading separator alone, or a drive prefix, names no folder to make.
    if (last == std::string::npos || last == 0 || (last == 2 && path[1] == ':'))
        return 0;
    FolderStatus failure = FolderStatus::CreateFailed;
    const FileResult made = CreateFolderTree(path.substr(0, last), &failure);
    if (made)
        return 0;
    const std::string& segment = made.Error().path;
    const std::string cause = made.Error().Describe();
    switch (failure) {
    case FolderStatus::NotAFolder:
        std::fprintf(stderr, "Error: path segment \"%s\" is not a directory\n", segment.c_str());
        break;
    case FolderStatus::Uninspectable:
        std::fprintf(stderr, "Error checking for existence of directory %s: %s\n", segment.c_str(),
                     cause.c_str());
        break;
    default:
        std::fprintf(stderr, "Couldn't create directory \"%s\": %s\n", segment.c_str(),
                     cause.c_str());
    }
    return -1;
}
