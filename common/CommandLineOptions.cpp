#include "common/CommandLineOptions.h"

CommandLineOptions::CommandLineOptions(const std::string& description,
                                       const std::string& programName, const std::string& footer,
                                       const std::string& versionLine)
    : app(description, programName) {
    app.footer(footer);
    app.set_version_flag("--version", versionLine, "Print the version and exit");
}

CLI::Option* CommandLineOptions::Add(const std::string& name, std::string& into,
                                     const std::string& valueName, const std::string& description) {
    return app.add_option(name, into, description)
        ->type_name(valueName)
        ->option_text(valueName.empty() ? " " : valueName);
}

CLI::Option* CommandLineOptions::AddFlag(const std::string& name, const std::string& description) {
    return app.add_flag(name)->description(description)->option_text(" ");
}

CommandLineOptions::Outcome CommandLineOptions::Parse(const std::vector<std::string>& words,
                                                      const std::function<void()>& afterParse,
                                                      std::string& error) {
    try {
        // CLI11 takes the words last first.
        app.parse(std::vector<std::string>(words.rbegin(), words.rend()));
        afterParse();
    } catch (const CLI::CallForHelp&) {
        return Outcome::Help;
    } catch (const CLI::CallForVersion&) {
        return Outcome::Version;
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
        return Outcome::Invalid;
    }
    return Outcome::Parsed;
}

void CommandLineOptions::ExcludeEachOther(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        for (const std::string& other : names)
            if (other != name)
                Option(name)->excludes(Option(other));
}
