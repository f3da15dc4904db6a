#include "builder/BuilderCommandLine.h"

#include "archive/FlatArchiveWriter.h"
#include "builder/BuildPipeline.h"
#include "builder/SongProject.h"
#include "common/FileError.h"
#include "common/FileOps.h"
#include "common/Prompts.h"

#include <map>
#include <ostream>

namespace {

using Mode = BuilderArguments::Mode;

BuilderArguments Invalid(std::string error) {
    BuilderArguments arguments;
    arguments.mode = Mode::Invalid;
    arguments.error = std::move(error);
    return arguments;
}

// Collects "--name value" pairs; a lone word is the window's project file.
BuilderArguments ParseOptions(const std::vector<std::string>& arguments) {
    std::map<std::string, std::string> values;
    for (std::size_t index = 0; index < arguments.size(); index += 2) {
        const std::string& name = arguments[index];
        if (name != "--build" && name != "--output" && name != "--pack" && name != "--prefix")
            return Invalid("unknown option " + name);
        if (index + 1 >= arguments.size())
            return Invalid(name + " needs a value");
        if (!values.emplace(name, arguments[index + 1]).second)
            return Invalid(name + " given twice");
    }
    auto has = [&values](const char* name) { return values.count(name) != 0; };
    BuilderArguments parsed;
    if (has("--build") && has("--output") && values.size() == 2) {
        parsed.mode = Mode::Build;
        parsed.project = values["--build"];
    } else if (has("--pack") && has("--prefix") && has("--output") && values.size() == 3) {
        parsed.mode = Mode::Pack;
        parsed.folder = values["--pack"];
        parsed.prefix = values["--prefix"];
    } else {
        return Invalid("use --build with --output, or --pack with --prefix and --output");
    }
    parsed.output = values["--output"];
    if (parsed.output.empty())
        return Invalid("--output needs a file name");
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
    err << "korvane: no music pack was written to " << arguments.output << "\n";
    return kExitFailed;
}

int RunPack(const BuilderArguments& arguments, std::ostream& err) {
    FlatArchiveWriter writer;
    writer.sourceFolder = arguments.folder;
    writer.namePrefix = arguments.prefix;
    if (writer.WriteArchive(arguments.output) && FileExists(arguments.output))
        return kExitDone;
    err << "korvane: could not write the archive " << arguments.output << "\n";
    return kExitFailed;
}

} // namespace

BuilderArguments ParseBuilderArguments(const std::vector<std::string>& arguments) {
    BuilderArguments parsed;
    if (arguments.empty())
        return parsed;
    if (arguments.size() == 1 && arguments[0] == "--help")
        parsed.mode = Mode::Help;
    else if (arguments.size() == 1 && arguments[0] == "--version")
        parsed.mode = Mode::Version;
    else if (arguments.size() == 1 && arguments[0].rfind("--", 0) != 0)
        parsed.project = arguments[0];
    else
        return ParseOptions(arguments);
    return parsed;
}

std::string BuilderUsage() {
    return "Usage:\n"
           "  korvane [PROJECT.velkp]                              open the window\n"
           "  korvane --build PROJECT.velkp --output PACK.velk     build a music pack\n"
           "  korvane --pack FOLDER --prefix PREFIX --output FILE  write a flat archive\n"
           "  korvane --help | --version\n"
           "Progress goes to standard error, messages to standard output; Ctrl-C cancels.\n"
           "Exit status: 0 done, 1 failed or cancelled, 2 bad arguments or unreadable project.\n";
}

int RunBuilderCommand(const BuilderArguments& arguments, Prompts& prompts, Progress& progress,
                      const std::string& workBaseFolder, std::ostream& out, std::ostream& err) {
    switch (arguments.mode) {
    case Mode::Help:
        out << BuilderUsage();
        return kExitDone;
    case Mode::Version:
        out << "Korvane Version 1.02.2\n";
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
        << BuilderUsage();
    return kExitBadInput;
}
