#include "common/CommandLineProgram.h"

#include <exception>
#include <ostream>
#include <utility>

const char* const CommandLineProgram::kCommonFooter =
    "Messages go to standard output, one per line, progress to standard error; Ctrl-C\n"
    "cancels. --verbose adds the system's own reason to a failure.\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  refused, failed or cancelled\n"
    "  2  bad arguments, or an input file that cannot be read";

CommandLineProgram::CommandLineProgram(std::string name, const std::string& description,
                                       const std::string& footer, std::string versionLine)
    : name_(std::move(name)), versionLine_(std::move(versionLine)),
      options_(description, name_, footer + kCommonFooter, versionLine_) {}

CommandLineProgram::Branch CommandLineProgram::Parse(const std::vector<std::string>& words,
                                                     const std::function<bool()>& chooseOperation) {
    bool operation = false;
    switch (options_.Parse(
        words, [&] { operation = chooseOperation(); }, error_)) {
    case CommandLineOptions::Outcome::Help:
        return Branch::Help;
    case CommandLineOptions::Outcome::Version:
        return Branch::Version;
    case CommandLineOptions::Outcome::Invalid:
        return Branch::Invalid;
    case CommandLineOptions::Outcome::Parsed:
        break;
    }
    return operation ? Branch::Operation : Branch::Window;
}

std::string CommandLineProgram::Usage() {
    return options_.app.help();
}

ExitStatus CommandLineProgram::Run(Branch branch, const std::string& mistake, std::ostream& out,
                                   std::ostream& err,
                                   const std::function<ExitStatus()>& operation) {
    switch (branch) {
    case Branch::Help:
        out << Usage();
        return ExitStatus::Done;
    case Branch::Version:
        out << versionLine_ << "\n";
        return ExitStatus::Done;
    case Branch::Operation:
        try {
            return operation();
        } catch (const std::exception& error) {
            err << name_ << ": " << error.what() << "\n";
            return ExitStatus::Failed;
        }
    case Branch::Window:
    case Branch::Invalid:
        break;
    }
    err << name_ << ": " << (mistake.empty() ? "no operation given" : mistake) << "\n"
        << "Run with --help for more information.\n";
    return ExitStatus::BadInput;
}
