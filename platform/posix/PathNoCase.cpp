#include "platform/PathNoCase.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::vector<std::string> SplitComponents(const std::string& relative) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : relative) {
        if (c == '/' || c == '\\') {
            if (!part.empty() && part != ".")
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty() && part != ".")
        parts.push_back(part);
    return parts;
}

// The folder entry matching `name` without regard to case, or "" when there is none.
std::string FindNoCase(const std::string& folder, const std::string& name) {
    std::vector<std::string> matches;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "/" : folder, error), end;
         !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (EqualNoCase(entry, name))
            matches.push_back(entry);
    }
    if (matches.empty())
        return {};
    return *std::min_element(matches.begin(), matches.end());
}

} // namespace

std::string ResolvePathNoCase(const std::string& base, const std::string& relative) {
    std::string path = base;
    bool resolving = true;
    for (const auto& part : SplitComponents(relative)) {
        std::string exact = path + "/" + part;
        if (resolving && !Exists(exact) && part != "..") {
            std::string found = FindNoCase(path, part);
            if (!found.empty()) {
                path += "/" + found;
                continue;
            }
            resolving = false;
        }
        path = exact;
    }
    return path;
}
