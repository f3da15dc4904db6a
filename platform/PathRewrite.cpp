#include "platform/PathRewrite.h"

#include "platform/FileOps.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The device a name opens, as Windows reads it: the part before the first dot, trailing spaces
// dropped; COM and LPT take a digit or one of the superscript digits (UTF-8 C2 B9, B2, B3).
std::string DeviceOf(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    const std::string upper = Upper(stem);
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    if (std::find(kPlain.begin(), kPlain.end(), upper) != kPlain.end())
        return upper;
    const std::string_view port = std::string_view(upper).substr(0, 3);
    if (port != "COM" && port != "LPT")
        return {};
    const std::string_view number = std::string_view(upper).substr(3);
    const bool digit = number.size() == 1 && number[0] >= '0' && number[0] <= '9';
    const bool superscript = number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
    return digit || superscript ? upper : std::string();
}

std::string Quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

// The reason for the part of a path before its first name, or "" when there is none.
std::string WhyPrefix(const std::string& path) {
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
        (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]))
        return path[2] == '?'
                   ? "it starts with \\\\?\\, which makes Windows skip its own checks of the path"
                   : "it starts with \\\\.\\, which makes Windows open a device";
    const bool drive =
        path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
    if (drive && path.size() == 2)
        return Quoted(path) + " is a drive without a folder, which Windows takes for the "
                              "current folder of that drive";
    if (drive && !IsSeparator(path[2]))
        return Quoted(path.substr(0, 2)) + " is followed by no separator, which makes Windows "
                                           "read the rest from the current folder of that drive";
    return {};
}

} // namespace

std::string WhyWindowsWouldRewriteName(std::string_view name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return "a name holds a control character, which Windows does not allow";
    }
    const std::size_t forbidden = name.find_first_of("<>:\"|?*");
    if (forbidden != std::string_view::npos)
        return "the name " + Quoted(name) + " holds " + Quoted(name.substr(forbidden, 1)) +
               ", which Windows does not allow in names";
    if (!name.empty() && name.back() == '.')
        return "the name " + Quoted(name) + " ends in a dot, which Windows drops";
    if (!name.empty() && name.back() == ' ')
        return "the name " + Quoted(name) + " ends in a space, which Windows drops";
    if (const std::string device = DeviceOf(name); !device.empty())
        return "the name " + Quoted(name) + " is the device " + device +
               ", which Windows opens in its place in every folder";
    if (WindowsLength(name) > kWindowsNameLimit)
        return "a name is longer than the 255 characters Windows allows";
    return {};
}

std::string WhyWindowsWouldRewrite(const std::string& path) {
    if (std::string why = WhyPrefix(path); !why.empty())
        return why;
    // The drive (or the server and share of a network path) is no name of the path.
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == ':')
        start = 2;
    else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        const std::size_t server = path.find_first_of("/\\", 2);
        start =
            server == std::string::npos ? std::string::npos : path.find_first_of("/\\", server + 1);
        if (start == std::string::npos)
            return {};
    }
    for (std::size_t at = start; at < path.size();) {
        std::size_t end = path.find_first_of("/\\", at);
        if (end == std::string::npos)
            end = path.size();
        const std::string_view name = std::string_view(path).substr(at, end - at);
        if (!name.empty() && name != "." && name != "..")
            if (std::string why = WhyWindowsWouldRewriteName(name); !why.empty())
                return why;
        at = end + 1;
    }
    return {};
}

std::string WhyNotAFolderPath(const std::string& path) {
    if (std::string why = WhyWindowsWouldRewrite(path); !why.empty())
        return why;
    return WhyNotAFullFolderPath(path);
}

std::string WhyNotAFullFolderPath(const std::string& path) {
    if (!IsAbsolutePath(path))
        return Quoted(path) + " is not a full path, so it would be read from the current folder";
    const PathKind kind = InspectPath(path).kind;
    if (kind == PathKind::RegularFile)
        return Quoted(path) + " is a file, not a folder";
    if (kind == PathKind::Other)
        return Quoted(path) + " is not a folder";
    return {};
}

std::size_t WindowsLength(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1; // four-byte sequences need a surrogate pair
    }
    return units;
}
