#include "patcher/CommandLine.h"

#include "archive/UnpackArchive.h"
#include "common/FileOps.h"
#include "patcher/ApplyPatch.h"
#include "patcher/Backup.h"
#include "patcher/PatchInstall.h"
#include "patcher/WorkFolderSession.h"

#include <exception>
#include <optional>
#include <ostream>

namespace {

enum class Action { None, Help, Version, Backup, Restore, Apply, Unpack };

struct Request {
    Action action = Action::None;
    std::optional<std::string> gameFolder;
    std::string packPath;
    std::string archivePath;
    std::optional<std::string> unpackTarget;
};

// The window's buttons do not exist on the command line.
class NoControls : public BackupControls {
public:
    void EnableBackupButton(bool) override {}
    void EnableRestoreButton(bool) override {}
    void ShowBusyCursor(bool) override {}
};

bool SetAction(Request& request, Action action) {
    if (request.action != Action::None)
        return false;
    request.action = action;
    return true;
}

// Fills the request; returns an error text for a malformed command line.
std::optional<std::string> Parse(const std::vector<std::string>& args, Request& request) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        auto valueOnce = [&](std::optional<std::string>& into) {
            std::string text;
            if (into || !value(text))
                return false;
            into = text;
            return true;
        };
        bool ok = true;
        if (arg == "--help")
            ok = SetAction(request, Action::Help);
        else if (arg == "--version")
            ok = SetAction(request, Action::Version);
        else if (arg == "--backup")
            ok = SetAction(request, Action::Backup);
        else if (arg == "--restore")
            ok = SetAction(request, Action::Restore);
        else if (arg == "--apply")
            ok = SetAction(request, Action::Apply) && value(request.packPath);
        else if (arg == "--unpack")
            ok = SetAction(request, Action::Unpack) && value(request.archivePath);
        else if (arg == "--to")
            ok = valueOnce(request.unpackTarget);
        else if (arg == "--game-folder")
            ok = valueOnce(request.gameFolder);
        else
            return "unknown argument: " + arg;
        if (!ok)
            return "misplaced or incomplete argument: " + arg;
    }
    if (request.action == Action::None)
        return std::string("no operation given");
    if ((request.action == Action::Unpack) != request.unpackTarget.has_value())
        return std::string("--unpack and --to go together");
    if (request.gameFolder && request.action != Action::Backup &&
        request.action != Action::Restore && request.action != Action::Apply)
        return std::string("--game-folder goes with --backup, --restore or --apply");
    return std::nullopt;
}

int Unpack(const Request& request, CommandLineContext& context) {
    const std::string& target = *request.unpackTarget;
    if (!FolderExists(target) && !CreateFolder(target)) {
        context.err << "palisor: cannot create folder " << target << "\n";
        return 1;
    }
    if (!UnpackArchive(request.archivePath, target)) {
        context.err << "palisor: cannot unpack " << request.archivePath << "\n";
        return 1;
    }
    return 0;
}

int RunGameAction(const Request& request, CommandLineContext& context) {
    std::string gameFolder = request.gameFolder           ? *request.gameFolder
                             : context.registryGameFolder ? context.registryGameFolder()
                                                          : std::string();
    WorkFolderSession session;
    if (!session.Begin(context.baseFolder, context.prompts))
        return 1;
    NoControls controls;
    bool done = false;
    if (request.action == Action::Backup)
        done = BackupOriginals(gameFolder, context.prompts, controls);
    else if (request.action == Action::Restore)
        done = RestoreOriginals(gameFolder, context.prompts, controls);
    else
        done = ApplyPatch(gameFolder, request.packPath, context.baseFolder, context.prompts,
                          context.progress);
    return done ? 0 : 1;
}

int Run(const Request& request, CommandLineContext& context) {
    switch (request.action) {
    case Action::Help:
        context.out << CommandLineUsage();
        return 0;
    case Action::Version:
        context.out << "Palisor 1.02.2\n";
        return 0;
    case Action::Unpack:
        return Unpack(request, context);
    default:
        return RunGameAction(request, context);
    }
}

} // namespace

std::string CommandLineUsage() {
    return "Usage:\n"
           "  palisor                                        open the window\n"
           "  palisor [--game-folder DIR] --backup           back up Default.con and music.rfa\n"
           "  palisor [--game-folder DIR] --restore          put the backed-up files back\n"
           "  palisor [--game-folder DIR] --apply PACK.velk  install a music pack\n"
           "  palisor --unpack ARCHIVE --to FOLDER           extract a flat archive\n"
           "  palisor --help | --version\n"
           "Without --game-folder the game folder comes from the game's registry entry\n"
           "(under Wine: the prefix in $WINEPREFIX, or else ~/.wine).\n";
}

int RunCommandLine(const std::vector<std::string>& args, CommandLineContext& context) {
    Request request;
    if (auto error = Parse(args, request)) {
        context.err << "palisor: " << *error << "\n" << CommandLineUsage();
        return 2;
    }
    try {
        return Run(request, context);
    } catch (const std::exception& error) {
        context.err << "palisor: " << error.what() << "\n";
        return 1;
    }
}
