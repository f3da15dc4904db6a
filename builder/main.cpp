// korvane: the window, or the command line when there are options.
#include "builder/BuilderCommandLine.h"
#include "builder/RunBuilderWindow.h"
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "platform/ProgramArguments.h"
#include "platform/WorkFolders.h"

#include <iostream>

int main(int argc, char** argv) {
    const BuilderArguments arguments = ParseBuilderArguments(ProgramArguments(argc, argv));
    if (arguments.mode == BuilderArguments::Mode::Window)
        return RunBuilderWindow(argc, argv, arguments);
    PrepareConsoleOutput();
    ConsolePrompts prompts(std::cout);
    ConsoleProgress progress(std::cerr);
    return RunBuilderCommand(arguments, prompts, progress, WorkBaseFolder("Korvane"), std::cout,
                             std::cerr);
}
