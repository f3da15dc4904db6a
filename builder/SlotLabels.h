#pragma once
#include <string>

// Texts that belong to a list position (1 to 16) rather than to a slot, and the one-decimal
// length text used in the list, the clipboard and the playlist script. None of them fails.

// "01" to "16".
std::string NumberLabel(int position);
// "A" to "P".
std::string LetterLabel(int position);
// Seconds with one decimal and a full stop, whatever the process locale ("187.0").
std::string LengthText(float seconds);
