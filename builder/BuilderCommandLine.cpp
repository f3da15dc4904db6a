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
    std::vector<std::string> addWords;
    std::vector<std::string> trimWords;
    std::vector<std::string> untrimWords;
    std::string fadeInWord;
    std::string fadeOutWord;

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
        DeclareTrim();
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

    // --trim PROJECT SLOT START END [--fade-in S] [--fade-out S] and --untrim PROJECT SLOT,
    // each a mode of its own.
    void DeclareTrim() {
        CommandLineOptions& options = Options();
        options.app
            .add_option("--trim", trimWords,
                        "Keep START to END seconds of a slot's song (SLOT: A-P or 1-16; END: a "
                        "time or end)")
            ->type_name("PROJECT.velkp SLOT START END")
            ->option_text("PROJECT.velkp SLOT START END")
            ->expected(4)
            ->check(kNotEmpty);
        options.Add("--fade-in", fadeInWord, "S", "Seconds of fade in (with --trim)");
        options.Add("--fade-out", fadeOutWord, "S", "Seconds of fade out (with --trim)");
        options.app.add_option("--untrim", untrimWords, "Play the slot's whole song again")
            ->type_name("PROJECT.velkp SLOT")
            ->option_text("PROJECT.velkp SLOT")
            ->expected(2)
            ->check(kNotEmpty);
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
        for (const char* mode : {"--trim", "--untrim"})
            for (const char* other : {"PROJECT.velkp", "--build", "--pack", "--add", "--output"})
                options.Option(mode)->excludes(options.Option(other));
        options.Option("--trim")->excludes(options.Option("--untrim"));
        for (const char* fade : {"--fade-in", "--fade-out"})
            options.Option(fade)->needs(options.Option("--trim"));
    }

    // The mode chosen by the options given (None: the window); throws for options that belong
    // to no mode.
    Mode ChosenMode(BuilderArguments& parsed) {
        CommandLineOptions& options = Options();
        if (options.Given("--trim")) {
            parsed.project = trimWords[0];
            parsed.slot = SlotPosition("--trim", trimWords[1]);
            parsed.trim.start = Seconds("--trim", "START", trimWords[2]);
            if (!SaysTheEnd(trimWords[3]))
                parsed.trim.end = Seconds("--trim", "END", trimWords[3]);
            if (options.Given("--fade-in"))
                parsed.trim.fadeIn = Seconds("--fade-in", "S", fadeInWord);
            if (options.Given("--fade-out"))
                parsed.trim.fadeOut = Seconds("--fade-out", "S", fadeOutWord);
            return Mode::Trim;
        }
        if (options.Given("--untrim")) {
            parsed.project = untrimWords[0];
            parsed.slot = SlotPosition("--untrim", untrimWords[1]);
            return Mode::Untrim;
        }
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
        case Mode::Trim:
        case Mode::Untrim:
            return RunTrim(arguments, controller);
        case Mode::None:
            break;
        }
        return ExitStatus::BadInput;
    });
}
