#pragma once
#include "common/CommandLineOptions.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// How a command-line run ended: the same set for both programs, listed at the end of --help.
enum class ExitStatus : int {
    Done = 0,     // the operation's success was reached
    Failed = 1,   // refused, failed or cancelled
    BadInput = 2, // wrong arguments, or an input file that cannot be read
};

// The shape both programs' command lines share: the options (CLI11, declared through
// Options()), the branches every program has (its window, an operation, --help, --version, a
// mistake in the arguments), what each of those prints and its exit status.
class CommandLineProgram {
public:
    enum class Branch { Window, Operation, Help, Version, Invalid };

    // name: the program's file name ("korvane"); footer: what the program says at the end of
    // --help before the lines both programs share (messages, Ctrl-C, exit statuses).
    CommandLineProgram(std::string name, const std::string& description, const std::string& footer,
                       std::string versionLine);

    CommandLineOptions& Options() { return options_; }
    const CommandLineOptions& Options() const { return options_; }

    // Parses the words after the program's name. chooseOperation runs after a clean parse and
    // answers whether an operation (rather than the window) was asked for; it may throw a
    // CLI11 error of its own. Never fails: a mistake gives Invalid, with Error() saying what.
    Branch Parse(const std::vector<std::string>& words,
                 const std::function<bool()>& chooseOperation);
    const std::string& Error() const { return error_; }

    std::string Usage();
    const std::string& VersionLine() const { return versionLine_; }

    // Runs a branch: Help writes the usage and Version the version line to out (Done);
    // Invalid and Window (no operation) write `mistake` (Error() of the parse) and a pointer
    // to --help to err (BadInput); Operation runs `operation`, and a std::exception escaping
    // it is written to err as "NAME: what" and gives Failed.
    ExitStatus Run(Branch branch, const std::string& mistake, std::ostream& out, std::ostream& err,
                   const std::function<ExitStatus()>& operation);

    // The help footer's shared end: messages, Ctrl-C and the exit statuses.
    static const char* const kCommonFooter;

private:
    std::string name_;
    std::string versionLine_;
    std::string error_;
    CommandLineOptions options_;
};

// The three calls every program's command line makes of its options, for an `Arguments` struct
// with `branch`, `mode` (an enum whose None is the window) and `error`, and an `Options` class
// derived from CommandLineProgram and built over the Arguments it fills.
template <typename Arguments, typename Options> struct CommandLineOf {
    using Mode = typename Arguments::Mode;

    // Parses words; chooseMode runs after a clean parse, reads what the options hold and picks
    // the operation (None: the window); it may throw a CLI11 error. A failed parse, --help or
    // --version gives fresh Arguments holding only the branch and the error.
    static Arguments Parse(const std::vector<std::string>& words,
                           const std::function<Mode(Options&, Arguments&)>& chooseMode) {
        Arguments parsed;
        Options options(parsed);
        const CommandLineProgram::Branch branch = options.Parse(words, [&] {
            parsed.mode = chooseMode(options, parsed);
            return parsed.mode != Mode::None;
        });
        if (branch != CommandLineProgram::Branch::Operation &&
            branch != CommandLineProgram::Branch::Window) {
            Arguments only;
            only.branch = branch;
            only.error = options.Error();
            return only;
        }
        parsed.branch = branch;
        return parsed;
    }

    static std::string Usage() {
        Arguments unused;
        return Options(unused).Usage();
    }

    // Runs the parsed branch (see CommandLineProgram::Run); operation runs the chosen mode.
    static ExitStatus Run(const Arguments& arguments, std::ostream& out, std::ostream& err,
                          const std::function<ExitStatus()>& operation) {
        Arguments unused;
        Options program(unused);
        return program.Run(arguments.branch, arguments.error, out, err, operation);
    }
};

// An exit status as the process returns it.
inline int ExitCode(ExitStatus status) {
    return static_cast<int>(status);
}
