#pragma once
#include "common/Progress.h"
#include "common/Prompts.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// What the command line runs against: the user-facing interfaces, the two text streams and
// the folder that holds the work folder.
struct CommandLineContext {
    Prompts& prompts;   // message texts, exactly as the window shows them
    Progress& progress; // the patch's progress and its Ctrl-C cancel
    std::ostream& out;  // --help and --version
    std::ostream& err;  // usage errors and unexpected failures
    std::string baseFolder;
    std::function<std::string()> registryGameFolder; // used when --game-folder is not given
};

// Runs palisor's command line (arguments without the program name):
//   [--game-folder DIR] --backup | --restore | --apply PACK.velk
//   --unpack ARCHIVE --to FOLDER,  --help,  --version
// The backup, restore and apply handlers run as in the window, after the work folder has been
// prepared. Returns the exit status: 0 only when the operation's success was reached, 1 when
// it failed, 2 for a malformed command line. Never throws: a file-layer error is written to
// err and yields 1.
int RunCommandLine(const std::vector<std::string>& args, CommandLineContext& context);

// The --help text.
std::string CommandLineUsage();
