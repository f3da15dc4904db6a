#include "import/SongTags.h"

#include "platform/NativePath.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>

namespace {

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A tag may hold several values joined by NULs or line breaks: the first line is the title.
std::string FirstLine(const std::string& text) {
    return Trimmed(text.substr(0, text.find_first_of(std::string("\r\n\0", 3))));
}

std::string FileStem(const std::string& path) {
    auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

SongTags ReadSongTags(const std::string& path) {
    SongTags tags;
    // TagLib opens the file itself: the system's own form of the name (UTF-16 on Windows).
    TagLib::FileRef file(NativePath(path).c_str(), false);
    if (file.isNull() || !file.tag())
        return tags;
    tags.artist = FirstLine(file.tag()->artist().to8Bit(true));
    tags.title = FirstLine(file.tag()->title().to8Bit(true));
    return tags;
}

std::string SongTitleFor(const SongTags& tags, const std::string& path) {
    if (!tags.title.empty())
        return tags.artist.empty() ? tags.title : tags.artist + " - " + tags.title;
    return FileStem(path);
}
