// Reads the game folder value from an arbitrary system.reg of a Wine prefix.
#include "fuzz/FuzzInputFile.h"
#include "gamefolders/WineRegistry.h"

#include <sys/stat.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string prefix = [] {
        std::string folder = FuzzInputFile(nullptr, 0, "prefix");
        std::remove(folder.c_str());
        mkdir(folder.c_str(), 0700);
        return folder;
    }();
    std::string hive = FuzzInputFile(data, size, "prefix/system.reg");
    WineRegistry registry(prefix);
    registry.ReadValue(RegistryRoot::LocalMachine, "SOFTWARE\\EA GAMES\\Battlefield Vietnam",
                       "GAMEDIR");
    return 0;
}
