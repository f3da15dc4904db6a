#include "platform/KnownFolders.h"

#include <cstdlib>
#include <linux/limits.h>
#include <unistd.h>

std::string ExecutableFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer.data(), static_cast<size_t>(length));
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string UserDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    return dataHome && *dataHome ? dataHome
                                 : std::string(home && *home ? home : "/tmp") + "/.local/share";
}

std::vector<std::string> ProgramFilesFolders() {
    return {};
}
