#pragma once
#include <string>
#include <string_view>

// A song title as it may stand between the double quotes of a game console line: the game
// runs playlists.con line by line, so a quote or a line end inside a title would end the
// title and start commands of the title's own choosing. Each `"` becomes `'`, and every
// control character (bytes 0 to 31 and 127: CR, LF, TAB, NUL, ESC...) becomes a space.
// Other bytes pass unchanged. Does not fail.
std::string ScriptTitle(std::string_view title);
