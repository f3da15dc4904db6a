// Backup, apply and restore with one file-layer step failing, or the process ending there as
// in a crash, for every step each of them takes: the game folder must hold the original files
// or the complete patched set, never a mix and never a leftover, and one Restore must then
// give back the originals byte for byte.
// The crash runs need fork, so they are POSIX-only; on Windows the failing-step runs (the same
// seam, every step of every kind) stand for them.
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using Files = std::map<std::string, std::string>;

const FileStep kSteps[] = {FileStep::Create, FileStep::Write, FileStep::Rename, FileStep::Flush};

const char* StepName(FileStep step) {
    switch (step) {
    case FileStep::Create:
        return "create";
    case FileStep::Write:
        return "write";
    case FileStep::Rename:
        return "rename";
    case FileStep::Flush:
        return "flush";
    default:
        return "?";
    }
}

// A game folder, a program folder and a pack, set up to the point the operation starts from.
struct Scene {
    TempFolder temp;
    std::string game = temp.file("BFV");
    std::string base = temp.file("program");
    std::string pack = temp.file("pack.velk");
    FakePrompts prompts;
    RecordingControls controls;
    FakeProgress progress;

    Scene() {
        MakeGameFolder(game);
        CreateFolder(base);
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
    }
    bool Backup() { return BackupOriginals(game, prompts, controls); }
    bool Restore() { return RestoreOriginals(game, prompts, controls); }
    bool Apply() {
        return PrepareWorkFolder(base, prompts) && ApplyPatch(game, pack, base, prompts, progress);
    }
};

// The files an install changes, as they are now ("<none>" for a missing one).
Files GameFiles(const std::string& game) {
    Files files;
    for (const auto& path :
         {GameDefaultCon(game), GameMusicRfa(game), InstalledPlaylists(game), InstalledUsSsc(game)})
        files[path.substr(game.size())] = FileExists(path) ? ReadFileBytes(path) : "<none>";
    return files;
}

// Names in the game folder that only an unfinished change would leave.
std::vector<std::string> Leftovers(const std::string& game) {
    std::vector<std::string> found;
    for (const auto& item : std::filesystem::recursive_directory_iterator(game)) {
        const std::string name = item.path().filename().string();
        if (name.find(".kp-") != std::string::npos || name == "palisor.journal")
            found.push_back(name);
    }
    return found;
}

struct Operation {
    std::string label;
    std::function<void(Scene&)> prepare; // fault-free steps before the operation
    std::function<bool(Scene&)> run;
};

void PrintTo(const Operation& operation, std::ostream* out) {
    *out << operation.label;
}

class FaultTest : public ::testing::TestWithParam<Operation> {
protected:
    void TearDown() override { FaultInjection::Disarm(); }

    // The files before any change and after a clean apply.
    void LearnStates() {
        FaultInjection::Count();
        Scene scene;
        original = GameFiles(scene.game);
        ASSERT_TRUE(scene.Backup());
        ASSERT_TRUE(scene.Apply());
        patched = GameFiles(scene.game);
        // A restore puts back the game's two files and leaves the installed scripts.
        restored = patched;
        for (const auto& [name, bytes] : original)
            if (name.find("Mods") == 1)
                restored[name] = bytes;
        FaultInjection::Disarm();
    }

    int StepsTaken(FileStep step) {
        FaultInjection::Count();
        Scene scene;
        GetParam().prepare(scene);
        FaultInjection::Count();
        EXPECT_TRUE(GetParam().run(scene));
        FaultInjection::Disarm();
        return FaultInjection::Taken(step);
    }

    std::vector<std::string> RunWithFault(FileStep step, int nth, FaultInjection::Effect effect);

    Files original, patched, restored;
};

// Runs the operation with the nth step of a kind failing, or in a child process that ends
// at that step as if the power went; then checks the game folder as the next command leaves
// it, and that one Restore gives the originals back.
std::vector<std::string> FaultTest::RunWithFault(FileStep step, int nth,
                                                 FaultInjection::Effect effect) {
    FakePrompts next;
    Scene scene;
    FaultInjection::Count(); // the fault-free steps around the fault skip their slow flushes
    GetParam().prepare(scene);
    if (effect == FaultInjection::Effect::Fail) {
        FaultInjection::Arm(step, nth);
        GetParam().run(scene);
    } else {
#ifndef _WIN32
        const pid_t child = ::fork();
        EXPECT_GE(child, 0);
        if (child == 0) {
            FaultInjection::Arm(step, nth, effect);
            GetParam().run(scene);
            std::_Exit(0);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        FaultInjection::Count();
        EXPECT_TRUE(RecoverInterruptedInstall(scene.game, next));
#endif
    }
    FaultInjection::Count();
    const Files now = GameFiles(scene.game);
    EXPECT_TRUE(now == original || now == patched || now == restored);
    EXPECT_EQ(Leftovers(scene.game), std::vector<std::string>{});
    if (!BackupsComplete(scene.game)) {
        EXPECT_TRUE(scene.Backup()); // a backup cut short is made again from the originals
    }
    EXPECT_TRUE(scene.Restore());
    EXPECT_EQ(ReadFileBytes(GameDefaultCon(scene.game)), kGameDefaultCon);
    EXPECT_EQ(ReadFileBytes(GameMusicRfa(scene.game)), kGameMusicRfa);
    FaultInjection::Disarm();
    return next.messages;
}

TEST_P(FaultTest, EveryFailingStepLeavesOriginalsOrTheWholePatch) {
    LearnStates();
    for (FileStep step : kSteps) {
        const int steps = StepsTaken(step);
        EXPECT_GT(steps, 0);
        for (int nth = 1; nth <= steps; ++nth) {
            SCOPED_TRACE(std::string(StepName(step)) + " #" + std::to_string(nth));
            RunWithFault(step, nth, FaultInjection::Effect::Fail);
        }
    }
}

#ifndef _WIN32
TEST_P(FaultTest, ACrashAtEveryStepIsMadeWholeByTheNextCommand) {
    LearnStates();
    std::set<std::string> told;
    for (FileStep step : kSteps) {
        const int steps = StepsTaken(step);
        for (int nth = 1; nth <= steps; ++nth) {
            SCOPED_TRACE(std::string(StepName(step)) + " #" + std::to_string(nth));
            for (const auto& message : RunWithFault(step, nth, FaultInjection::Effect::Crash))
                told.insert(message);
        }
    }
    // An install or restore cut short is finished or undone, and the player is told which.
    const std::set<std::string> bothWays = {
        "Palisor found an interrupted change to the game files and finished it: the game "
        "folder now holds the complete new set of files.",
        "Palisor found an interrupted change to the game files and undid it: the game folder "
        "holds the same files as before that change."};
    EXPECT_EQ(told, GetParam().label == "Backup" ? std::set<std::string>{} : bothWays);
}
#endif

INSTANTIATE_TEST_SUITE_P(
    Operations, FaultTest,
    ::testing::Values(Operation{"Backup", [](Scene&) {}, [](Scene& s) { return s.Backup(); }},
                      Operation{"Apply", [](Scene& s) { ASSERT_TRUE(s.Backup()); },
                                [](Scene& s) { return s.Apply(); }},
                      Operation{"Restore",
                                [](Scene& s) {
                                    ASSERT_TRUE(s.Backup());
                                    ASSERT_TRUE(s.Apply());
                                },
                                [](Scene& s) { return s.Restore(); }}),
    [](const auto& param) { return param.param.label; });

} // namespace
