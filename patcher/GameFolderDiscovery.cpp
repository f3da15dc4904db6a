#include "patcher/GameFolderDiscovery.h"

#include "common/RegistryValue.h"
#include "common/WinePaths.h"
#include "common/WineRegistry.h"

std::string GameFolderInWinePrefix(const std::string& prefix) {
    WineRegistry registry(prefix);
    RegistryValue gameDir(registry, RegistryRoot::LocalMachine, kGameDirRegistryPath, "", false);
    const std::string& windowsPath = gameDir.Value();
    if (windowsPath.empty())
        return {};
    return WindowsPathInWinePrefix(prefix, windowsPath);
}

std::string RegistryGameFolder() {
    return GameFolderInWinePrefix(WineRegistry::DefaultPrefix());
}
