#include "platform/PathNoCase.h"

#include "platform/FileOps.h"

// Windows compares names without regard to case itself: each component is taken as spelled.
std::string ResolvePathNoCase(const std::string& base, const std::string& relative) {
    std::string path = base;
    std::string part;
    auto append = [&] {
        if (!part.empty() && part != ".")
            path = JoinPath(path, part);
        part.clear();
    };
    for (char c : relative) {
        if (c == '/' || c == '\\')
            append();
        else
            part += c;
    }
    append();
    return path;
}
