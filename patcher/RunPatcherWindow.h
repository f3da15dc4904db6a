#pragma once
#include "patcher/CommandLine.h"

// Opens Palisor's window and returns the program's exit status when it closes. A build
// without windows says so instead and returns 2.
int RunPatcherWindow(int argc, char** argv, const PatcherArguments& arguments);
