#include "platform/ProgramArguments.h"

#include "platform/windows/WindowsText.h"

#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words) // never seen; the C runtime's own words are better than none
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>();
    std::vector<std::string> arguments;
    for (int index = 1; index < count; ++index)
        arguments.push_back(Utf8(words[index]));
    LocalFree(words);
    return arguments;
}

void PrepareConsoleOutput() {
    SetConsoleOutputCP(CP_UTF8);
    // Messages end in "\n" as on Linux; a text-mode stream would make them CR LF in a file.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void ReleaseOwnConsole() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
}

bool StandardInputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}
