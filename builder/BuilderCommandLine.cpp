#include "builder/BuilderCommandLine.h"

#include "builder/MemoryProjectSettings.h"
#include "builder/ProjectController.h"
#include "common/CommandLineProgram.h"
#include "common/EscapeForTerminal.h"
#include "common/ProgramVersion.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace {

using Mode = BuilderArguments::Mode;

std::string KorvaneVersionLine() {
    return std::string("Korvane Version ") + ProgramVersion();
}

// A value that must not be empty, such as a file name.
const CLI::Validator kNotEmpty(
    [](std::string& value) { return value.empty() ? std::string("must not be empty") : ""; }, "",
    "not empty");

// The declared options, bound to the fields they fill. Each mode is one option naming its
// main value; the options that complete a mode need it.
struct BuilderOptions : CommandLineProgram {
    std::vector<std::string> addWords;

    explicit BuilderOptions(BuilderArguments& parsed)
        : CommandLineProgram(
              "korvane",
              "Korvane builds Battlefield Vietnam music packs; without options it opens its "
              "window.",
              "", KorvaneVersionLine()) {
        CommandLineOptions& options = Options();
        options.Add("PROJECT.velkp", parsed.project, "", "Open this project in the window");
        options.Add("--build", parsed.project, "PROJECT.velkp", "Build a music pack to --output");
        options.Add("--pack", parsed.folder, "FOLDER",
                    "Write a flat archive of a folder to --output");
        options.Add("--prefix", parsed.prefix, "PREFIX",
                    "Name prefix of the archive's entries (with --pack)");
        options.Add("--output", parsed.output, "FILE", "The pack or archive to write")
            ->check(kNotEmpty);
        DeclareAdd(parsed);
        options.app
            .add_option("--jobs", parsed.jobs,
                        "Songs encoded at once (1-16; default: one per core)")
            ->type_name("N")
            ->option_text("N")
            ->check(CLI::Range(1, 16));
        options.app
            .add_flag("--verbose", parsed.verbose,
                      "Print detailed diagnostic lines (with --build or --pack)")
            ->option_text(" ");
        Constrain();
    }

    void DeclareAdd(BuilderArguments& parsed) {
        CLI::App& app = Options().app;
        app.add_option("--add", addWords,
                       "Import songs of any format into empty slots (new project if none)")
            ->type_name("PROJECT.velkp FILE...")
            ->option_text("PROJECT.velkp FILE...")
            ->expected(2, CLI::detail::expected_max_vector_size)
            ->check(kNotEmpty);
        app.add_flag_callback(
               "--no-loudness", [&parsed] { parsed.matchLoudness = false; },
               "Keep each song's own loudness (with --add)")
            ->option_text(" ");
    }

    // Which options go together: each mode excludes the others and the window's project.
    void Constrain() {
        CommandLineOptions& options = Options();
        options.Option("--jobs")->needs(options.Option("--build"));
        for (const char* other : {"PROJECT.velkp", "--pack", "--prefix"})
            options.Option("--build")->excludes(options.Option(other));
        options.Option("--build")->needs(options.Option("--output"));
        options.Option("--pack")
            ->needs(options.Option("--prefix"))
            ->needs(options.Option("--output"));
        options.Option("--pack")->excludes(options.Option("PROJECT.velkp"));
        options.Option("--prefix")->needs(options.Option("--pack"));
        for (const char* other : {"PROJECT.velkp", "--build", "--pack", "--output"})
            options.Option("--add")->excludes(options.Option(other));
        options.Option("--no-loudness")->needs(options.Option("--add"));
    }

    // The mode chosen by the options given (None: the window); throws for options that belong
    // to no mode.
    Mode ChosenMode(BuilderArguments& parsed) {
        CommandLineOptions& options = Options();
        if (options.Given("--add")) {
            parsed.project = addWords.front();
            parsed.songs.assign(addWords.begin() + 1, addWords.end());
            return Mode::Add;
        }
        if (options.Given("--build"))
            return Mode::Build;
        if (options.Given("--pack"))
            return Mode::Pack;
        for (const char* orphan : {"--output", "--verbose"})
            if (options.Given(orphan))
                throw CLI::RequiresError(orphan, "--build or --pack");
        return Mode::None;
    }
};

// CLI11 gathers the values of every --add into one list: a second --add would silently land
// in the first one's project, so it is refused like a second --build.
void RefuseRepeatedAdd(const std::vector<std::string>& arguments) {
    const auto count = std::count_if(arguments.begin(), arguments.end(), [](const auto& word) {
        return word == "--add" || word.rfind("--add=", 0) == 0;
    });
    if (count > 1)
        throw CLI::ArgumentMismatch::AtMost("--add", 1, static_cast<std::size_t>(count));
}

ExitStatus RunBuild(const BuilderArguments& arguments, ProjectController& controller,
                    std::ostream& err) {
    if (!controller.OpenProjectFile(arguments.project))
        return ExitStatus::BadInput;
    switch (controller.BuildTo(arguments.output, arguments.jobs)) {
    case ProjectController::BuildResult::Delivered:
        return ExitStatus::Done;
    case ProjectController::BuildResult::Refused:
        return ExitStatus::Failed;
    case ProjectController::BuildResult::Failed:
        break;
    }
    err << "korvane: no music pack was written to " << EscapeForTerminal(arguments.output) << "\n";
    return ExitStatus::Failed;
}

ExitStatus RunAdd(const BuilderArguments& arguments, ProjectController& controller) {
    controller.SetMatchLoudness(arguments.matchLoudness);
    switch (controller.AddToProjectFile(arguments.project, arguments.songs)) {
    case ProjectController::AddResult::AllAdded:
        return ExitStatus::Done;
    case ProjectController::AddResult::Unreadable:
        return ExitStatus::BadInput;
    case ProjectController::AddResult::NotAllAdded:
        break;
    }
    return ExitStatus::Failed;
}

ExitStatus RunPack(const BuilderArguments& arguments, std::ostream& err) {
    if (ProjectController::WriteFolderArchive(arguments.folder, arguments.prefix, arguments.output))
        return ExitStatus::Done;
    err << "korvane: could not write the archive " << EscapeForTerminal(arguments.output) << "\n";
    return ExitStatus::Failed;
}

} // namespace

using KorvaneCommandLine = CommandLineOf<BuilderArguments, BuilderOptions>;

BuilderArguments ParseBuilderArguments(const std::vector<std::string>& arguments) {
    return KorvaneCommandLine::Parse(arguments,
                                     [&](BuilderOptions& options, BuilderArguments& parsed) {
                                         RefuseRepeatedAdd(arguments);
                                         return options.ChosenMode(parsed);
                                     });
}

std::string BuilderUsage() {
    return KorvaneCommandLine::Usage();
}

ExitStatus RunBuilderCommand(const BuilderArguments& arguments, Prompts& prompts,
                             Progress& progress, const std::string& workBaseFolder,
                             std::ostream& out, std::ostream& err) {
    return KorvaneCommandLine::Run(arguments, out, err, [&] {
        MemoryProjectSettings settings; // the command line remembers nothing
        ProjectController controller(prompts, ProjectController::Borrowing(progress), settings,
                                     workBaseFolder);
        switch (arguments.mode) {
        case Mode::Build:
            return RunBuild(arguments, controller, err);
        case Mode::Pack:
            return RunPack(arguments, err);
        case Mode::Add:
            return RunAdd(arguments, controller);
        case Mode::None:
            break;
        }
        return ExitStatus::BadInput;
    });
}
