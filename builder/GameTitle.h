#pragma once
#include "common/CodePage.h"

#include <cstddef>
#include <string_view>

// The longest title a song may have, in bytes of the game's code page. The game shows the
// title on one line of its music player, which has room for far fewer; the game's console
// reads each playlists.con line into a fixed buffer, and 128 bytes keep the whole song line
// (index, quotes, title, length) well inside the 255 bytes that a buffer of that era holds.
// Palisor's check of a pack's playlist accepts every title of this length.
inline constexpr std::size_t kMostGameTitleBytes = 128;

// A title typed or taken from tags (UTF-8) as the game will hold it: converted to the game's
// code page (CodePage::FromUtf8), then cut to kMostGameTitleBytes. changed tells that the
// bytes no longer read back as the given text, by conversion or by the cut. Does not fail.
CodePage::Converted GameTitle(std::string_view utf8);
