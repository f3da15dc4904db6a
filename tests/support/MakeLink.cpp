#include "tests/support/MakeLink.h"

#include "tests/support/TempFolder.h"

#ifdef _WIN32
#include <windows.h>

namespace {

// UTF-16 with the system's separators: a link's target is stored as given, and Windows
// resolves only backslashes in it.
std::wstring WindowsPath(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    return wide;
}

// Wine 8 answers success without making anything, so the link is looked at before it counts.
bool MakeLink(const std::string& target, const std::string& linkPath, DWORD kind) {
    const std::wstring link = WindowsPath(linkPath);
    if (!CreateSymbolicLinkW(link.c_str(), WindowsPath(target).c_str(),
                             kind | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        return false;
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

bool MakeSymbolicLink(const std::string& target, const std::string& linkPath) {
    return MakeLink(target, linkPath, 0);
}

bool MakeFolderLink(const std::string& target, const std::string& linkPath) {
    return MakeLink(target, linkPath, SYMBOLIC_LINK_FLAG_DIRECTORY);
}

#else
#include <unistd.h>

bool MakeSymbolicLink(const std::string& target, const std::string& linkPath) {
    return symlink(target.c_str(), linkPath.c_str()) == 0;
}

bool MakeFolderLink(const std::string& target, const std::string& linkPath) {
    return symlink(target.c_str(), linkPath.c_str()) == 0;
}
#endif

bool CanMakeLinks() {
    static const bool can = [] {
        TempFolder probe;
        WriteFileBytes(probe.file("target"), "");
        return MakeSymbolicLink(probe.file("target"), probe.file("link"));
    }();
    return can;
}
