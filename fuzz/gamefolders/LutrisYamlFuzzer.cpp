// Reads the prefix out of an arbitrary Lutris game file.
#include "gamefolders/LutrisGames.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LutrisGames::PrefixInYaml(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
