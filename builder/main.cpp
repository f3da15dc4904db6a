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
    if (arguments.branch == BuilderArguments::Branch::Window)
        return RunBuilderWindow(argc, argv, arguments);
    PrepareConsoleOutput();
    ConsolePrompts prompts(std::cout, StandardInputIsTerminal() ? &std::cin : nullptr);
    prompts.SetVerbose(arguments.verbose);
    ConsoleProgress progress(std::cerr);
    return ExitCode(RunBuilderCommand(arguments, prompts, progress, WorkBaseFolder("Korvane"),
                                      std::cout, std::cerr));
}
