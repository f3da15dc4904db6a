#pragma once
#include <string>
#include <string_view>
#include <vector>

// One song line of playlists.con: the title between its quotes and the length as written.
struct ListedSong {
    std::string title;
    std::string length; // "187.0"
};

// Reads a playlist script that must have exactly the layout Korvane writes (see
// common/PlaylistScriptLayout.h): 28 CR LF lines, song lines for index 0 to 15 in order,
// titles free of quotes and control characters, lengths of digits, a full stop and one
// digit. Returns the empty string and fills songs (16 of them) when it has; otherwise the
// reason, naming the first line at fault ("line 9 is not what Korvane writes"), and songs
// is left empty. Does not fail otherwise.
std::string ReadPlaylistScript(std::string_view text, std::vector<ListedSong>& songs);
