// A build without windows (the Windows command-line edition): the command line only.
#include "builder/RunBuilderWindow.h"

#include <iostream>

int RunBuilderWindow(int, char**, const BuilderArguments&) {
    std::cout << "This Korvane has no window: run it with --help to see its command line.\n";
    return 2;
}
