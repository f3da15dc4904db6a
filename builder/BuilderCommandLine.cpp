#include "builder/BuilderCommandLine.h"

#include "builder/MemoryProjectSettings.h"
#include "builder/ProjectController.h"
#include "builder/TrimText.h"
#include "common/CommandLineProgram.h"
#include "common/EscapeForTerminal.h"
#include "common/ProgramVersion.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <ostream>
#include <utility>

namespace {

using Mode = BuilderArguments::Mode;
using Branch = CommandLineProgram::Branch;

std::string KorvaneVersionLine() {
    return std::string("Korvane Version ") + ProgramVersion();
}

// A value that must not be empty, such as a file name.
const CLI::Validator kNotEmpty(
    [](std::string& value) { return value.empty() ? std::string("must not be empty") : ""; }, "",
    "not empty");

// A slot as the command line names it: its letter (A-P, either case) or position (1-16).
int SlotPosition(const std::string& option, const std::string& word) {
    if (word.size() == 1 && std::toupper(static_cast<unsigned char>(word[0])) >= 'A' &&
        std::toupper(static_cast<unsigned char>(word[0])) <= 'P')
        return std::toupper(static_cast<unsigned char>(word[0])) - 'A' + 1;
    int position = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), position);
    if (error != std::errc() || end != word.data() + word.size() || position < 1 || position > 16)
        throw CLI::ValidationError(option, "SLOT must be a letter A-P or a number 1-16: " + word);
    return position;
}

double Seconds(const std::string& option, const std::string& name, const std::string& word) {
    const std::optional<double> seconds = ParseSeconds(word);
    if (!seconds)
        throw CLI::ValidationError(option,
                                   name + " must be a time in seconds, such as 75.5: " + word);
    return *seconds;
}

// The declared options, bound to the fields they fill. Each mode is one option naming its
// main value; the options that complete a mode need it.
struct BuilderOptions : CommandLineProgram {
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
    CLI::Option* trim = nullptr;
    std::vector<std::string> trimWords;
    CLI::Option* untrim = nullptr;
    std::vector<std::string> untrimWords;
    CLI::Option* fadeIn = nullptr;
    std::string fadeInWord;
    CLI::Option* fadeOut = nullptr;
    std::string fadeOutWord;

    explicit BuilderOptions(BuilderArguments& parsed)
        : CommandLineProgram(
              "korvane",
              "Korvane builds Battlefield Vietnam music packs; without options it opens its "
              "window.",
              "", KorvaneVersionLine()) {
        CommandLineOptions& options = Options();
        CLI::App& app = options.app;
        window =
            options.Add("PROJECT.velkp", parsed.project, "", "Open this project in the window");
        build = options.Add("--build", parsed.project, "PROJECT.velkp",
                            "Build a music pack to --output");
        pack = options.Add("--pack", parsed.folder, "FOLDER",
                           "Write a flat archive of a folder to --output");
        prefix = options.Add("--prefix", parsed.prefix, "PREFIX",
                             "Name prefix of the archive's entries (with --pack)");
        output = options.Add("--output", parsed.output, "FILE", "The pack or archive to write");
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
        verbose = app.add_flag("--verbose", parsed.verbose,
                               "Print detailed diagnostic lines (with --build or --pack)");
        verbose->option_text(" ");
        AddTrimOptions(options);
    }

    // --trim PROJECT SLOT START END [--fade-in S] [--fade-out S] and --untrim PROJECT SLOT,
    // each a mode of its own.
    void AddTrimOptions(CommandLineOptions& options) {
        CLI::App& app = options.app;
        trim = app.add_option("--trim", trimWords,
                              "Keep START to END seconds of a slot's song (SLOT: A-P or 1-16; "
                              "END: a time or end)")
                   ->type_name("PROJECT.velkp SLOT START END")
                   ->option_text("PROJECT.velkp SLOT START END")
                   ->expected(4)
                   ->check(kNotEmpty);
        fadeIn = options.Add("--fade-in", fadeInWord, "S", "Seconds of fade in (with --trim)");
        fadeOut = options.Add("--fade-out", fadeOutWord, "S", "Seconds of fade out (with --trim)");
        untrim = app.add_option("--untrim", untrimWords, "Play the slot's whole song again")
                     ->type_name("PROJECT.velkp SLOT")
                     ->option_text("PROJECT.velkp SLOT")
                     ->expected(2)
                     ->check(kNotEmpty);
        for (CLI::Option* other : {window, build, pack, add, output}) {
            trim->excludes(other);
            untrim->excludes(other);
        }
        trim->excludes(untrim);
        fadeIn->needs(trim);
        fadeOut->needs(trim);
    }

    // The mode chosen by the options given (None: the window); throws for options that belong
    // to no mode.
    Mode ChosenMode(BuilderArguments& parsed) const {
        if (*trim) {
            parsed.project = trimWords[0];
            parsed.slot = SlotPosition("--trim", trimWords[1]);
            parsed.trim.start = Seconds("--trim", "START", trimWords[2]);
            if (!SaysTheEnd(trimWords[3]))
                parsed.trim.end = Seconds("--trim", "END", trimWords[3]);
            if (*fadeIn)
                parsed.trim.fadeIn = Seconds("--fade-in", "S", fadeInWord);
            if (*fadeOut)
                parsed.trim.fadeOut = Seconds("--fade-out", "S", fadeOutWord);
            return Mode::Trim;
        }
        if (*untrim) {
            parsed.project = untrimWords[0];
            parsed.slot = SlotPosition("--untrim", untrimWords[1]);
            return Mode::Untrim;
        }
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

ExitStatus RunTrim(const BuilderArguments& arguments, ProjectController& controller) {
    const SongTrim trim = arguments.mode == Mode::Trim ? arguments.trim : SongTrim();
    switch (controller.TrimProjectFile(arguments.project, arguments.slot, trim)) {
    case ProjectController::TrimResult::Done:
        return ExitStatus::Done;
    case ProjectController::TrimResult::Unreadable:
        return ExitStatus::BadInput;
    case ProjectController::TrimResult::Refused:
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

BuilderArguments ParseBuilderArguments(const std::vector<std::string>& arguments) {
    BuilderArguments parsed;
    BuilderOptions options(parsed);
    const Branch branch = options.Parse(arguments, [&] {
        RefuseRepeatedAdd(arguments);
        parsed.mode = options.ChosenMode(parsed);
        return parsed.mode != Mode::None;
    });
    if (branch == Branch::Operation || branch == Branch::Window) {
        parsed.branch = branch;
        return parsed;
    }
    BuilderArguments only; // the values of a failed parse mean nothing
    only.branch = branch;
    only.error = options.Error();
    return only;
}

std::string BuilderUsage() {
    BuilderArguments unused;
    return BuilderOptions(unused).Usage();
}

ExitStatus RunBuilderCommand(const BuilderArguments& arguments, Prompts& prompts,
                             Progress& progress, const std::string& workBaseFolder,
                             std::ostream& out, std::ostream& err) {
    BuilderArguments unused;
    BuilderOptions program(unused);
    return program.Run(arguments.branch, arguments.error, out, err, [&] {
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
        case Mode::Trim:
        case Mode::Untrim:
            return RunTrim(arguments, controller);
        case Mode::None:
            break;
        }
        return ExitStatus::BadInput;
    });
}
