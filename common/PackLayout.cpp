#include "common/PackLayout.h"

#include <cstdio>

namespace PackLayout {

std::string SongFileName(int number, std::string_view extension) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.2d", number);
    return "music" + std::string(digits) + "." + std::string(extension);
}

std::vector<std::string> EntryNames() {
    std::vector<std::string> names = {std::string(kPlaylistScript), std::string(kSoundScript)};
    for (int number = 1; number <= kSongCount; ++number)
        names.push_back(SongFileName(number));
    return names;
}

std::string PackEntryName(std::string_view name) {
    return std::string(kPackFolder) + "/" + std::string(name);
}

} // namespace PackLayout
