#include "patcher/pack/PlaylistScriptReader.h"

#include "common/PackLayout.h"
#include "common/PlaylistScriptLayout.h"

#include <algorithm>

namespace {

using PackLayout::kSongCount;
constexpr int kHeadLines = 6;
constexpr std::size_t kMaxLengthDigits = 10;

int LinesIn(std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Number (1-based, counted in the whole file) of the first line where text, which starts
// on line firstLine, differs from expected.
int FirstDifferingLine(std::string_view text, std::string_view expected, int firstLine) {
    std::size_t same = 0;
    while (same < text.size() && same < expected.size() && text[same] == expected[same])
        ++same;
    return firstLine + LinesIn(text.substr(0, same));
}

std::string NotKorvanes(int line) {
    return "line " + std::to_string(line) + " is not what Korvane writes";
}

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "0.0", "187.0": what Korvane's one-decimal length text gives for a song.
bool IsLengthText(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0 || point > kMaxLengthDigits ||
        point + 2 != text.size() || (text[0] == '0' && point > 1))
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<long>(point), IsDigit) &&
           IsDigit(text.back());
}

// Parses the song line for index (without its CR LF); the empty string when it is one.
std::string ReadSongLine(std::string_view line, int index, int lineNumber, ListedSong& song) {
    const std::string start = std::string(kRegisterSongPrefix) + std::to_string(index) + " \"";
    const std::size_t closing = line.rfind("\" ");
    if (line.substr(0, start.size()) != start || closing == std::string_view::npos ||
        closing < start.size() || !IsLengthText(line.substr(closing + 2)))
        return NotKorvanes(lineNumber);
    const std::string_view title = line.substr(start.size(), closing - start.size());
    if (std::any_of(title.begin(), title.end(), [](char c) { return c == '"' || IsControl(c); }))
        return "the title in line " + std::to_string(lineNumber) +
               " holds a quote or a control character";
    song = {std::string(title), std::string(line.substr(closing + 2))};
    return {};
}

} // namespace

std::string ReadPlaylistScript(std::string_view text, std::vector<ListedSong>& songs) {
    songs.clear();
    if (text.substr(0, kPlaylistScriptHead.size()) != kPlaylistScriptHead)
        return NotKorvanes(FirstDifferingLine(text, kPlaylistScriptHead, 1));
    std::size_t at = kPlaylistScriptHead.size();
    std::vector<ListedSong> read(kSongCount);
    for (int index = 0; index < kSongCount; ++index) {
        const int lineNumber = kHeadLines + 1 + index;
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string_view::npos)
            return NotKorvanes(lineNumber);
        const std::string why = ReadSongLine(text.substr(at, end - at), index, lineNumber,
                                             read[static_cast<std::size_t>(index)]);
        if (!why.empty())
            return why;
        at = end + 2;
    }
    if (text.substr(at) != kPlaylistScriptTail)
        return NotKorvanes(
            FirstDifferingLine(text.substr(at), kPlaylistScriptTail, kHeadLines + kSongCount + 1));
    songs = std::move(read);
    return {};
}
