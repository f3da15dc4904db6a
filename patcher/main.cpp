// Palisor: the window, or the command line when there are options.
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "common/FileOps.h"
#include "patcher/CommandLine.h"
#include "patcher/GameFolderDiscovery.h"
#include "patcher/window/PalisorIcon.h"
#include "patcher/window/PatcherWindow.h"

#include <QApplication>

#include <iostream>

namespace {

int RunWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Palisor"));
    QApplication::setApplicationName(QStringLiteral("Palisor"));
    QApplication::setWindowIcon(PalisorIcon());
    PatcherWindow window(RegistryGameFolder(), WorkBaseFolder("Palisor"));
    window.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const PatcherArguments arguments =
        ParsePatcherArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.mode == PatcherArguments::Mode::Window)
        return RunWindow(argc, argv);
    ConsolePrompts prompts;
    ConsoleProgress progress;
    CommandLineContext context{
        prompts, progress, std::cout, std::cerr, WorkBaseFolder("Palisor"), RegistryGameFolder};
    return RunPatcherCommand(arguments, context);
}
