#pragma once
#include <string>

// File names for imported songs, made from their titles.

// The title made safe as a file name on Linux and Windows alike: no separators, control
// characters or characters Windows forbids, no leading dots, no trailing dots or blanks,
// at most 100 bytes without cutting a UTF-8 character; "song" when nothing is left.
std::string SafeFileStem(const std::string& title);

// "stem.wav" for the first try, then "stem (2).wav", "stem (3).wav", ...
std::string NumberedWavName(const std::string& stem, int attempt);
