#include "platform/ProgramArguments.h"

#include <unistd.h>

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void PrepareConsoleOutput() {}

void ReleaseOwnConsole() {}

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}
