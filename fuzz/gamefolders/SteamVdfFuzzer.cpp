// Reads the library paths out of an arbitrary libraryfolders.vdf.
#include "gamefolders/SteamLibraries.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SteamLibraries::PathsInVdf(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
