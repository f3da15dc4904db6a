// Palisor: the window, or the command line when there are options.
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "patcher/CommandLine.h"
#include "patcher/RunPatcherWindow.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "platform/ProgramArguments.h"
#include "platform/WorkFolders.h"

#include <iostream>

int main(int argc, char** argv) {
    const PatcherArguments arguments = ParsePatcherArguments(ProgramArguments(argc, argv));
    if (arguments.branch == PatcherArguments::Branch::Window)
        return RunPatcherWindow(argc, argv, arguments);
    PrepareConsoleOutput();
    ConsolePrompts prompts(std::cout, StandardInputIsTerminal() ? &std::cin : nullptr);
    prompts.SetVerbose(arguments.verbose); // a failure's cause on the line after it
    ConsoleProgress progress;
    CommandLineContext context{
        prompts, progress, std::cout, std::cerr, WorkBaseFolder("Palisor"), RegistryGameDir};
    return ExitCode(RunPatcherCommand(arguments, context));
}
