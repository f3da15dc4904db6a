#pragma once
#include <string>

class SongProject;

// The song list as copied to the clipboard: a header line, 76 hyphens, then one line per
// position with letter, title (as ScriptTitle makes it) and length as the game registers it
// ("%.1f" of PlayedLength, also for invalid slots), columns padded to 6, 50 and 10 characters
// and never cut. Each line ends with a carriage return
// alone. The text is UTF-8, read from the titles' Windows-1252. Does not fail.
std::string SongListText(const SongProject& project);
