#pragma once
#include <string>
#include <string_view>

// Text from outside data (entry names, titles, paths) made safe to print on a terminal: a
// tab, line feed and carriage return become \t, \n and \r, other C0 controls and DEL
// become \xHH, and so do the C1 controls in their UTF-8 form (C2 80 to C2 9F), which some
// terminals obey like ESC. A backslash becomes \\ only in a text that holds such escapes, so
// that a Windows path prints as it is. Other bytes, UTF-8 or the 8-bit code page, pass
// unchanged. Does not fail.
std::string EscapeForTerminal(std::string_view text);

// True when text holds a byte that EscapeForTerminal escapes other than a backslash: a
// control character a terminal could obey.
bool HoldsTerminalControls(std::string_view text);
