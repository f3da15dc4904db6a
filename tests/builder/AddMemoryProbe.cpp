// add_memory_probe PROJECT SONG WORKBASE RESULT: imports SONG into PROJECT as "korvane --add"
// does, in a process of its own, and writes to RESULT how many KiB its memory grew at most
// beyond what it held at start. The tests use it to show a giant tag is never read whole.
#include "builder/BuilderCommandLine.h"
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "platform/NativePath.h"
#include "platform/ProgramArguments.h"

#include <fstream>
#include <string>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif

namespace {

// KiB the process holds in memory now, and the most it has held so far.
struct MemoryUse {
    long residentKiB = 0;
    long peakKiB = 0;
};

MemoryUse MemoryNow() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return {};
    return {static_cast<long>(counters.WorkingSetSize / 1024),
            static_cast<long>(counters.PeakWorkingSetSize / 1024)};
#else
    // The high-water mark of this program's own memory: getrusage's ru_maxrss would also
    // count the memory of the process it was started from (kept across exec).
    MemoryUse use;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            use.residentKiB = std::stol(line.substr(6));
        else if (line.starts_with("VmHWM:"))
            use.peakKiB = std::stol(line.substr(6));
    }
    return use;
#endif
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    if (arguments.size() != 4)
        return 2;
    const long before = MemoryNow().residentKiB;
    std::ostringstream out, err, lines;
    ConsolePrompts prompts{out};
    ConsoleProgress progress{lines};
    RunBuilderCommand(ParseBuilderArguments({"--add", arguments[0], arguments[1]}), prompts,
                      progress, arguments[2], out, err);
    const long peak = MemoryNow().peakKiB;
    if (peak <= 0)
        return 1;
    std::ofstream result(NativePath(arguments[3]), std::ios::binary);
    result << peak - before;
    return result ? 0 : 1;
}
