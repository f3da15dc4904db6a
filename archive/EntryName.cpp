#include "archive/EntryName.h"

#include "archive/FlatArchiveFormat.h"
#include "platform/FileOps.h"
#include "platform/PathRewrite.h"

#include <cctype>

std::vector<std::string> EntryNameComponents(std::string_view name) {
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        if (slash == std::string_view::npos)
            slash = name.size();
        if (slash > start)
            components.emplace_back(name.substr(start, slash - start));
        start = slash + 1;
    }
    return components;
}

std::string EntryNameRefusal(std::string_view name) {
    if (name.size() > kMaxEntryNameLength)
        return "longer than 511 bytes";
    if (name.find('\0') != std::string_view::npos)
        return "holds a NUL byte";
    if (name.find('\\') != std::string_view::npos)
        return "holds a backslash";
    // On Windows a colon is a drive prefix or a data stream, never part of a file name.
    if (name.find(':') != std::string_view::npos)
        return "holds a drive prefix or colon";
    if (!name.empty() && name.front() == '/')
        return "is absolute";
    const std::vector<std::string> components = EntryNameComponents(name);
    if (components.empty() || components.back() == ".")
        return "names no file";
    if (components.size() > kMaxEntryNameComponents)
        return "has more than 49 components";
    for (const std::string& component : components)
        if (component == "..")
            return "climbs out of the target folder";
    for (const std::string& component : components)
        if (component != ".")
            if (std::string why = WhyWindowsWouldRewriteName(component); !why.empty())
                return why;
    return {};
}

std::string EntryOutputPath(const std::string& targetFolder, std::string_view name) {
    std::string path = targetFolder;
    for (const std::string& component : EntryNameComponents(name))
        if (component != ".")
            path = JoinPath(path, component);
    return path;
}

std::string EntryPathRefusal(const std::string& targetFolder, std::string_view name) {
    const std::size_t length = WindowsLength(EntryOutputPath(targetFolder, name));
    if (length > kWindowsPathLimit)
        return "with the folder it is unpacked to, its path is " + std::to_string(length) +
               " characters long, more than the " + std::to_string(kWindowsPathLimit) +
               " Windows takes";
    return {};
}

std::string EntryFileKey(std::string_view name) {
    std::string key;
    for (const std::string& component : EntryNameComponents(name)) {
        if (component == ".")
            continue;
        key += '/';
        for (const char c : component)
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}
