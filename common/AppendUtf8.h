#pragma once
#include <string>

// Appends the UTF-8 form of one code point (at most U+10FFFF) to out. A lone surrogate, which
// Windows and Wine keep in names, is written in the same three-byte form as any other code
// point below U+10000. The one UTF-8 encoder of the programs.
void AppendUtf8(std::string& out, char32_t codePoint);
