#pragma once
#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

// A program's options, declared with CLI11 the way both programs show them: an option's help
// line shows only its value's name (the descriptions say what goes together) and a flag's
// none; --version prints the version line, the footer ends --help.
class CommandLineOptions {
public:
    enum class Outcome { Parsed, Help, Version, Invalid };

    CommandLineOptions(const std::string& description, const std::string& programName,
                       const std::string& footer, const std::string& versionLine);

    CLI::Option* Add(const std::string& name, std::string& into, const std::string& valueName,
                     const std::string& description);
    CLI::Option* AddFlag(const std::string& name, const std::string& description);

    // After Parse: whether the option (or positional) of that name was given.
    bool Given(const std::string& name) const { return app.count(name) > 0; }
    // The declared option of that name (it must exist).
    CLI::Option* Option(const std::string& name) { return app.get_option(name); }
    // No two of these options may be given together.
    void ExcludeEachOther(const std::vector<std::string>& names);

    // Parses the words after the program's name, then calls afterParse, which may throw a
    // CLI11 error of its own. For Invalid, error holds the line that says what is wrong.
    Outcome Parse(const std::vector<std::string>& words, const std::function<void()>& afterParse,
                  std::string& error);

    CLI::App app;
};
