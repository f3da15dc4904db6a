#include "builder/ProjectPaths.h"

#include "common/CodePage.h"
#include "platform/FileOps.h"
#include "platform/NativePath.h"

#include <filesystem>

namespace {

// "." and ".." taken out, the system's separators. Only for UTF-8: the standard library may
// refuse other bytes on Windows.
std::string NormalPath(const std::string& path) {
    if (!CodePage::IsUtf8(path))
        return path;
    return Utf8Path(NativePath(path).lexically_normal().make_preferred());
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Absolute on any system: "/x", "\x", "\\server\x" and "C:..." are kept as written, so that a
// Windows path read on Linux is shown as it was stored rather than glued to a folder.
bool IsRelativePath(const std::string& path) {
    if (path.empty() || IsSeparator(path.front()))
        return false;
    const bool driveLetter =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return !driveLetter;
}

} // namespace

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || !CodePage::IsUtf8(path))
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(NativePath(path), error);
    return NormalPath(error ? path : Utf8Path(absolute));
}

std::string ResolvedAgainst(const std::string& folder, const std::string& path) {
    if (folder.empty() || !IsRelativePath(path))
        return path;
    return NormalPath(JoinPath(folder, path));
}

std::string FolderHolding(const std::string& path) {
    if (!CodePage::IsUtf8(path))
        return {};
    return Utf8Path(NativePath(path).parent_path().make_preferred());
}

std::string SystemSeparators(const std::string& path) {
    if (!CodePage::IsUtf8(path))
        return path;
    return Utf8Path(NativePath(path).make_preferred());
}

std::string StemOf(const std::string& path) {
    if (!CodePage::IsUtf8(path))
        return path;
    return Utf8Path(NativePath(path).stem());
}
