#pragma once
#include <string>
#include <vector>

// The path of a program built into the same folder as the running test executable.
std::string ProgramBesideTest(const std::string& name);

// Runs a program with the arguments (UTF-8, each passed as one word) and waits for it: its exit
// status, or -1 when it could not be started or did not exit normally.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);
