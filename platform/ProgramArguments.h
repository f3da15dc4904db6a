#pragma once
#include <string>
#include <vector>

// The words after the program's name, in UTF-8 whatever the system's own encoding of them
// (Windows: the UTF-16 command line, so that a file under "C:\Users\Zoë" is named right).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Readies standard output and error for the command line's UTF-8 messages (Windows: the
// console's code page set to UTF-8, and no "\n" turned into CR LF). Nothing on Linux.
void PrepareConsoleOutput();

// A window program started from the desktop gets no console window of its own (Windows: a
// console made for this program alone is released; one shared with a shell stays for
// messages). Nothing on Linux.
void ReleaseOwnConsole();

// True when standard input is a terminal someone can type answers into (Windows: a console),
// not a file, a pipe or nothing.
bool StandardInputIsTerminal();
