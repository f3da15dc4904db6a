#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

// The parsers under test read files by path: each input is written to one file per process
// in shared memory (or the temporary folder) and read from there.
inline std::string FuzzInputFile(const std::uint8_t* data, std::size_t size,
                                 const std::string& name) {
    static const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string path = folder + "/kp-fuzz-" + std::to_string(getpid()) + "-" + name;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
