#include "widgets/FileDialogRules.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string Trimmed(const std::string& text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "*.a;*.b" -> "*.a *.b", with "*.*" meaning every file.
std::string QtPatterns(const std::string& patterns) {
    std::string result;
    for (const std::string& raw : Split(patterns, ';')) {
        std::string pattern = Trimmed(raw);
        if (pattern.empty())
            continue;
        if (pattern == "*.*")
            pattern = "*";
        result += (result.empty() ? "" : " ") + pattern;
    }
    return result;
}

// Qt reads the patterns from the last parenthesised group, so a description that already
// shows the pattern list gets the converted list there; any other gets it appended.
std::string QtEntry(const std::string& description, const std::string& patterns) {
    std::string converted = QtPatterns(patterns);
    auto open = description.rfind('(');
    if (open != std::string::npos && description.back() == ')') {
        std::string shown = description.substr(open + 1, description.size() - open - 2);
        std::replace(shown.begin(), shown.end(), ' ', ';');
        if (QtPatterns(shown) == QtPatterns(patterns))
            return description.substr(0, open) + "(" + converted + ")";
    }
    return description + " (" + converted + ")";
}

} // namespace

std::string QtNameFilters(const std::string& filter) {
    std::vector<std::string> parts = Split(filter, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& description = parts[i];
        if (description.empty())
            break;
        if (QtPatterns(parts[i + 1]).empty())
            continue;
        result += (result.empty() ? "" : ";;") + QtEntry(description, parts[i + 1]);
    }
    return result;
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
    std::string bare = BareExtension(extension);
    if (bare.empty() || path.empty())
        return path;
    auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos)
        return path;
    return path + "." + bare;
}

std::string BareExtension(const std::string& extension) {
    return !extension.empty() && extension.front() == '.' ? extension.substr(1) : extension;
}
