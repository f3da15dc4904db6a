#pragma once
#include <string>
#include <vector>

// Arguments joined into one command line that CommandLineToArgvW (and the C runtime) split
// back into exactly these arguments: each one holding a space, a tab, a quote or nothing is
// quoted, and backslashes are doubled only where they precede a quote. UTF-8 in and out.
std::string WindowsCommandLine(const std::vector<std::string>& arguments);
