#include "gamefolders/WinePaths.h"

#include "platform/FileOps.h"
#include "platform/PathNoCase.h"

#include <algorithm>

namespace {

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string DriveFolder(const std::string& prefix, char letter) {
    char lower = (letter >= 'A' && letter <= 'Z') ? static_cast<char>(letter + 32) : letter;
    std::string device = prefix + "/dosdevices/" + lower + ":";
    if (!FolderExists(device) && lower == 'c' && FolderExists(prefix + "/drive_c"))
        return prefix + "/drive_c";
    return device;
}

} // namespace

std::string WindowsPathInWinePrefix(const std::string& prefix, const std::string& windowsPath) {
    if (!HasDriveLetter(windowsPath)) {
        std::string plain = windowsPath;
        std::replace(plain.begin(), plain.end(), '\\', '/');
        return plain;
    }
    return ResolvePathNoCase(DriveFolder(prefix, windowsPath[0]), windowsPath.substr(2));
}
