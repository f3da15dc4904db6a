// korvane: the window, or the command line when there are options.
#include "builder/BuilderCommandLine.h"
#include "builder/window/BuilderWindow.h"
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "platform/WorkFolders.h"

#include <QApplication>

#include <iostream>

namespace {

int RunWindow(int argc, char** argv, const BuilderArguments& arguments) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));
    BuilderWindow window(WorkBaseFolder("Korvane"));
    if (!arguments.project.empty())
        window.OpenProjectFile(arguments.project);
    window.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const BuilderArguments arguments =
        ParseBuilderArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.mode == BuilderArguments::Mode::Window)
        return RunWindow(argc, argv, arguments);
    ConsolePrompts prompts(std::cout);
    ConsoleProgress progress(std::cerr);
    return RunBuilderCommand(arguments, prompts, progress, WorkBaseFolder("Korvane"), std::cout,
                             std::cerr);
}
