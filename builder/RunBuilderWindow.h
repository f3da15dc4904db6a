#pragma once
#include "builder/BuilderCommandLine.h"

// Opens Korvane's window and returns the program's exit status when it closes. A build
// without windows says so instead and returns 2.
int RunBuilderWindow(int argc, char** argv, const BuilderArguments& arguments);
