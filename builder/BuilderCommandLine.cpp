#include "builder/BuilderCommandLine.h"

#include "archive/FlatArchiveWriter.h"
#include "builder/BuildPipeline.h"
#include "builder/SongProject.h"
#include "common/EscapeForTerminal.h"
#include "common/FileError.h"
#include "common/FileOps.h"
#include "common/Prompts.h"

#include <CLI/CLI.hpp>

#include <ostream>
#include <utility>

namespace {

using Mode = BuilderArguments::Mode;

const char* const kVersionLine = "Korvane Version " KP_VERSION;

const char* const kHelpFooter =
    "Messages go to standard output, one per line, progress to standard error; Ctrl-C\n"
    "cancels.\n"
    "Exit status: 0 done, 1 failed or cancelled, 2 bad arguments or unreadable project.";

// A value that must not be empty, such as a file name.
const CLI::Validator kNotEmpty(
    [](std::string& value) { return value.empty() ? std::string("must not be empty") : ""; }, "",
    "not empty");

// The declared options, bound to the fields they fill. Each mode is one option naming its
// main value; the options that complete a mode need it.
struct BuilderOptions {
    CLI::App app{
        "Korvane builds Battlefield Vietnam music packs; without options it opens its window.",
        "korvane"};
    CLI::Option* window = nullptr;
    CLI::Option* build = nullptr;
    CLI::Option* pack = nullptr;
    CLI::Option* prefix = nullptr;
    CLI::Option* output = nullptr;
    CLI::Option* verbose = nullptr;

    explicit BuilderOptions(BuilderArguments& parsed) {
        app.footer(kHelpFooter);
        app.set_version_flag("--version", kVersionLine, "Print the version and exit");
        window = Add("PROJECT.velkp", parsed.project, "", "Open this project in the window");
        build = Add("--build", parsed.project, "PROJECT.velkp", "Build a music pack to --output");
        pack =
            Add("--pack", parsed.folder, "FOLDER", "Write a flat archive of a folder to --output");
        prefix = Add("--prefix", parsed.prefix, "PREFIX",
                     "Name prefix of the archive's entries (with --pack)");
        output = Add("--output", parsed.output, "FILE", "The pack or archive to write");
        output->check(kNotEmpty);
        build->needs(output)->excludes(window)->excludes(pack)->excludes(prefix);
        pack->needs(prefix)->needs(output)->excludes(window);
        prefix->needs(pack);
        // The build and the archive writer print no diagnostics yet, so nothing changes.
        verbose = app.add_flag("--verbose", parsed.verbose,
                               "Print detailed diagnostic lines (with --build or --pack)");
        verbose->option_text(" ");
    }

    // The help line shows only the value's name: the descriptions say what goes together.
    CLI::Option* Add(const std::string& name, std::string& into, const std::string& valueName,
                     const std::string& description) {
        return app.add_option(name, into, description)
            ->type_name(valueName)
            ->option_text(valueName.empty() ? " " : valueName);
    }

    // The mode chosen by the options given; throws for options that belong to no mode.
    Mode ChosenMode() const {
        if (*build)
            return Mode::Build;
        if (*pack)
            return Mode::Pack;
        if (*output)
            throw CLI::RequiresError("--output", "--build or --pack");
        if (*verbose)
            throw CLI::RequiresError("--verbose", "--build or --pack");
        return Mode::Window;
    }
};

// A mode that takes no values, with an error line for Mode::Invalid.
BuilderArguments Only(Mode mode, std::string error = "") {
    BuilderArguments parsed;
    parsed.mode = mode;
    parsed.error = std::move(error);
    return parsed;
}

int RunBuild(const BuilderArguments& arguments, Prompts& prompts, Progress& progress,
             const std::string& workBaseFolder, std::ostream& err) {
    SongProject project;
    try {
        if (!project.Load(arguments.project)) {
            prompts.Message("Error reading project file.");
            return kExitBadInput;
        }
    } catch (const FileError& error) {
        prompts.Message(error.what());
        return kExitBadInput;
    }
    if (!project.AllValid()) {
        prompts.Message("One or more items are not valid. Unable to build.");
        return kExitFailed;
    }
    BuildPipeline pipeline(prompts, progress, workBaseFolder);
    try {
        if (pipeline.BuildMusicPackTo(project, arguments.output))
            return kExitDone;
    } catch (const FileError& error) {
        prompts.Message(error.what());
        return kExitFailed;
    }
    err << "korvane: no music pack was written to " << EscapeForTerminal(arguments.output) << "\n";
    return kExitFailed;
}

int RunPack(const BuilderArguments& arguments, std::ostream& err) {
    FlatArchiveWriter writer;
    writer.sourceFolder = arguments.folder;
    writer.namePrefix = arguments.prefix;
    if (writer.WriteArchive(arguments.output) && FileExists(arguments.output))
        return kExitDone;
    err << "korvane: could not write the archive " << EscapeForTerminal(arguments.output) << "\n";
    return kExitFailed;
}

} // namespace

BuilderArguments ParseBuilderArguments(const std::vector<std::string>& arguments) {
    BuilderArguments parsed;
    BuilderOptions options(parsed);
    try {
        // CLI11 takes the words last first.
        options.app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
        parsed.mode = options.ChosenMode();
    } catch (const CLI::CallForHelp&) {
        return Only(Mode::Help);
    } catch (const CLI::CallForVersion&) {
        return Only(Mode::Version);
    } catch (const CLI::ParseError& error) {
        return Only(Mode::Invalid, error.what());
    }
    return parsed;
}

std::string BuilderUsage() {
    BuilderArguments unused;
    return BuilderOptions(unused).app.help();
}

int RunBuilderCommand(const BuilderArguments& arguments, Prompts& prompts, Progress& progress,
                      const std::string& workBaseFolder, std::ostream& out, std::ostream& err) {
    switch (arguments.mode) {
    case Mode::Help:
        out << BuilderUsage();
        return kExitDone;
    case Mode::Version:
        out << kVersionLine << "\n";
        return kExitDone;
    case Mode::Build:
        return RunBuild(arguments, prompts, progress, workBaseFolder, err);
    case Mode::Pack:
        return RunPack(arguments, err);
    case Mode::Window:
    case Mode::Invalid:
        break;
    }
    err << "korvane: " << (arguments.error.empty() ? "no command" : arguments.error) << "\n"
        << "Run with --help for more information.\n";
    return kExitBadInput;
}
