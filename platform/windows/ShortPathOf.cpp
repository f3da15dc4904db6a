#include "platform/ShortPathOf.h"

#include "platform/windows/WindowsText.h"

std::string ShortPathOf(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0)
        return path;
    std::wstring shortPath(needed, L'\0');
    const DWORD length = GetShortPathNameW(wide.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed)
        return path;
    shortPath.resize(length);
    return Utf8(shortPath);
}
