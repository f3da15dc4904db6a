#include "builder/BuilderCommandLine.h"

#include "archive/FlatArchiveWriter.h"
#include "builder/BuildPipeline.h"
#include "builder/ImportSongs.h"
#include "builder/ProjectFile.h"
#include "builder/ProjectLock.h"
#include "builder/SongProject.h"
#include "common/CommandLineOptions.h"
#include "common/EscapeForTerminal.h"
#include "common/FileError.h"
#include "common/Prompts.h"
#include "platform/FileOps.h"

#include <algorithm>
#include <cerrno>

#include <ostream>
#include <utility>

namespace {

using Outcome = CommandLineOptions::Outcome;
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
struct BuilderOptions : CommandLineOptions {
    CLI::Option* window = nullptr;
    CLI::Option* build = nullptr;
    CLI::Option* pack = nullptr;
    CLI::Option* prefix = nullptr;
    CLI::Option* output = nullptr;
    CLI::Option* add = nullptr;
    CLI::Option* noLoudness = nullptr;
    std::vector<std::string> addWords;
    CLI::Option* verbose = nullptr;
    CLI::Option* jobs = nullptr;

    explicit BuilderOptions(BuilderArguments& parsed)
        : CommandLineOptions(
              "Korvane builds Battlefield Vietnam music packs; without options it opens its "
              "window.",
              "korvane", kHelpFooter, kVersionLine) {
        window = Add("PROJECT.velkp", parsed.project, "", "Open this project in the window");
        build = Add("--build", parsed.project, "PROJECT.velkp", "Build a music pack to --output");
        pack =
            Add("--pack", parsed.folder, "FOLDER", "Write a flat archive of a folder to --output");
        prefix = Add("--prefix", parsed.prefix, "PREFIX",
                     "Name prefix of the archive's entries (with --pack)");
        output = Add("--output", parsed.output, "FILE", "The pack or archive to write");
        output->check(kNotEmpty);
        add = app.add_option("--add", addWords,
                             "Import songs of any format into empty slots (new project if none)")
                  ->type_name("PROJECT.velkp FILE...")
                  ->option_text("PROJECT.velkp FILE...")
                  ->expected(2, CLI::detail::expected_max_vector_size)
                  ->check(kNotEmpty);
        noLoudness = app.add_flag_callback(
                            "--no-loudness", [&parsed] { parsed.matchLoudness = false; },
                            "Keep each song's own loudness (with --add)")
                         ->option_text(" ");
        jobs = app.add_option("--jobs", parsed.jobs,
                              "Songs encoded at once (1-16; default: one per core)")
                   ->type_name("N")
                   ->option_text("N")
                   ->check(CLI::Range(1, 16));
        jobs->needs(build);
        build->needs(output)->excludes(window)->excludes(pack)->excludes(prefix);
        pack->needs(prefix)->needs(output)->excludes(window);
        prefix->needs(pack);
        add->excludes(window)->excludes(build)->excludes(pack)->excludes(output);
        noLoudness->needs(add);
        // The build and the archive writer print no diagnostics yet, so nothing changes.
        verbose = app.add_flag("--verbose", parsed.verbose,
                               "Print detailed diagnostic lines (with --build or --pack)");
        verbose->option_text(" ");
    }

    // The mode chosen by the options given; throws for options that belong to no mode.
    Mode ChosenMode(BuilderArguments& parsed) const {
        if (*add) {
            parsed.project = addWords.front();
            parsed.songs.assign(addWords.begin() + 1, addWords.end());
            return Mode::Add;
        }
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

// CLI11 gathers the values of every --add into one list: a second --add would silently land
// in the first one's project, so it is refused like a second --build.
void RefuseRepeatedAdd(const std::vector<std::string>& arguments) {
    const auto count = std::count_if(arguments.begin(), arguments.end(), [](const auto& word) {
        return word == "--add" || word.rfind("--add=", 0) == 0;
    });
    if (count > 1)
        throw CLI::ArgumentMismatch::AtMost("--add", 1, static_cast<std::size_t>(count));
}

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
    if (arguments.jobs > 0)
        pipeline.SetJobs(arguments.jobs);
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

// The project named by --add: loaded when the file exists, a new one otherwise.
bool OpenProjectToAdd(const std::string& file, SongProject& project, Prompts& prompts) {
    if (InspectPath(file).kind == PathKind::Missing) {
        project.Reset();
        project.SetPath(file);
        return true;
    }
    try {
        if (project.Load(file))
            return true;
        prompts.Message("Error reading project file.");
    } catch (const FileError& error) {
        prompts.Message(error.what());
    }
    return false;
}

int RunAdd(const BuilderArguments& arguments, Prompts& prompts, Progress& progress,
           const std::string& workBaseFolder) {
    SongProject project;
    ProjectLock lock;
    if (!lock.Take(arguments.project, prompts))
        return kExitFailed;
    if (!OpenProjectToAdd(arguments.project, project, prompts))
        return kExitBadInput;
    const ImportSongsOutcome outcome =
        ImportSongs(prompts, progress)
            .Run(project, arguments.songs,
                 ImportSongsOptions{arguments.matchLoudness, 0, workBaseFolder});
    using Result = ImportSongsOutcome::Result;
    if (outcome.result == Result::Cancelled || outcome.result == Result::NoFolder)
        return kExitFailed;
    if (!SaveProjectFileAside(project, arguments.project)) {
        // The songs would belong to no project: take back what this import wrote.
        for (const std::string& file : outcome.newFiles)
            RemoveFile(file);
        prompts.Message("Error saving project...");
        return kExitFailed;
    }
    return outcome.result == Result::AllAdded ? kExitDone : kExitFailed;
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
    std::string error;
    const auto outcome = options.Parse(
        arguments,
        [&] {
            RefuseRepeatedAdd(arguments);
            parsed.mode = options.ChosenMode(parsed);
        },
        error);
    if (outcome != Outcome::Parsed)
        return Only(outcome == Outcome::Help      ? Mode::Help
                    : outcome == Outcome::Version ? Mode::Version
                                                  : Mode::Invalid,
                    error);
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
    case Mode::Add:
        return RunAdd(arguments, prompts, progress, workBaseFolder);
    case Mode::Window:
    case Mode::Invalid:
        break;
    }
    err << "korvane: " << (arguments.error.empty() ? "no command" : arguments.error) << "\n"
        << "Run with --help for more information.\n";
    return kExitBadInput;
}
