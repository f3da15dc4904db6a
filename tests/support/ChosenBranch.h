#pragma once
#include "common/CommandLineProgram.h"

// What a command-line parse chose: a branch, and for an operation its mode. Arguments is a
// program's parsed-arguments struct (branch, mode).
template <typename Arguments> struct ChosenBranch {
    using Branch = CommandLineProgram::Branch;
    using Mode = typename Arguments::Mode;

    Branch branch = Branch::Window;
    Mode mode = Mode::None;

    static ChosenBranch Of(const Arguments& parsed) { return {parsed.branch, parsed.mode}; }
    static ChosenBranch Operation(Mode chosen) { return {Branch::Operation, chosen}; }
    bool operator==(const ChosenBranch&) const = default;
};
