// A build without windows (the Windows command-line edition): the command line only.
#include "patcher/RunPatcherWindow.h"

#include <iostream>

int RunPatcherWindow(int, char**, const PatcherArguments&) {
    std::cout << "This Palisor has no window: run it with --help to see its command line.\n";
    return 2;
}
