// A game under the real Program Files (x86), with copies of its files in the real VirtualStore
// of %LOCALAPPDATA%: palisor.exe --apply, as a process without a terminal, refuses and names
// the options that decide; with one of them it goes on. On a terminal it asks, as the window
// does (ConsolePrompts reading the answer, the system's own Program Files and VirtualStore).
#include "common/ConsolePrompts.h"
#include "common/DeleteFolderTree.h"
#include "patcher/CommandLine.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/Backup.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/KnownFolders.h"
#include "platform/NativePath.h"
#include "platform/WorkFolders.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Finished {
    int status = -1;
    std::string out;
};

// Runs a program with no terminal on standard input (NUL) and its output in a new file (a
// console host Wine starts for it may hold the handles a while after it ends).
Finished RunWithoutTerminal(const std::string& program, const std::vector<std::string>& words,
                            const std::string& outFile) {
    std::wstring line = L"\"" + NativePath(program).wstring() + L"\"";
    for (const std::string& word : words)
        line += L" \"" + NativePath(word).wstring() + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileW(NativePath(outFile).wstring().c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_NEW, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    Finished finished;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        if (GetExitCodeProcess(process.hProcess, &status))
            finished.status = static_cast<int>(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(nul);
    CloseHandle(out);
    finished.out = ReadFileBytes(outFile);
    return finished;
}

// A game of the test's own under Program Files (x86), backed up, and a VirtualStore copy of
// its music.rfa; both removed again when the test ends.
class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<std::string> programFiles = ProgramFilesFolders();
        ASSERT_FALSE(programFiles.empty());
        top = JoinPath(programFiles.front(),
                       "KP VirtualStore Test " + std::to_string(GetCurrentProcessId()));
        game = JoinPath(top, "Battlefield Vietnam");
        MakeGameFolder(game);
        FakePrompts prompts;
        ASSERT_TRUE(BackupOriginals(game, prompts));
        mirror = VirtualStoreCopies(game, programFiles, UserDataFolder()).Mirror();
        ASSERT_FALSE(mirror.empty()) << game;
        copy = JoinPath(mirror, GameFolder::kMusicRfaInFolder);
        fs::create_directories(NativePath(copy).parent_path());
        WriteFileBytes(copy, "what an older tool wrote");
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
        // palisor.exe in a folder of its own, so its work folder is this test's alone.
        const std::string program = temp.file("palisor/palisor.exe");
        fs::create_directories(NativePath(temp.file("palisor")));
        fs::copy_file(NativePath(ProgramBesideTest("palisor")), NativePath(program));
        WriteFileBytes(temp.file(std::string("palisor/") + kBuildTreeMarker), "");
        palisor = program;
    }
    void TearDown() override {
        DeleteFolderTree(top);
        if (mirror.empty())
            return;
        // The test's own folder in VirtualStore, then the folders above it that held only it.
        DeleteFolderTree(FolderOf(mirror));
        const std::string programFiles = FolderOf(FolderOf(mirror)); // VirtualStore's mirror of it
        if (RemoveEmptyFolder(programFiles))
            RemoveEmptyFolder(FolderOf(programFiles));
    }

    Finished Palisor(std::vector<std::string> words) {
        words.insert(words.begin(), {"--game-folder", game});
        return RunWithoutTerminal(palisor, words,
                                  temp.file("out" + std::to_string(++runs) + ".txt"));
    }

    TempFolder temp;
    std::string top, game, mirror, copy, palisor;
    int runs = 0;
    std::string pack = temp.file("pack.velk");
};

TEST_F(ProgramFilesTest, ApplyWithoutATerminalRefusesUntilAnOptionDecides) {
    const auto before = TreeSnapshot(game);
    Finished run = Palisor({"--apply", pack});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("The game reads copies of its files from VirtualStore (" + mirror +
                           "), not from the game folder"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Nothing was changed. Run palisor again with --move-virtualstore"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(TreeSnapshot(game), before);
    EXPECT_TRUE(FileExists(copy));

    run = Palisor({"--apply", pack, "--keep-virtualstore"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("The copies in " + mirror + " were left where they are"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Patching Is Done!"), std::string::npos) << run.out;
    EXPECT_TRUE(FileExists(copy));

    run = Palisor({"--restore", "--move-virtualstore"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("Your original files have been restored."), std::string::npos);
    EXPECT_FALSE(FileExists(copy));
    EXPECT_EQ(ReadFileBytes(GameFolder(game).MusicRfa()), kGameMusicRfa);
}

TEST_F(ProgramFilesTest, OnATerminalTheQuestionIsAsked) {
    std::istringstream terminal("n\n");
    std::ostringstream out, err;
    ConsolePrompts prompts(out, &terminal);
    FakeProgress progress;
    CommandLineContext context{prompts, progress, out, err, temp.file("base"), [] {
                                   return GameDirAnswer();
                               }};
    ASSERT_TRUE(CreateFolder(context.baseFolder));
    EXPECT_TRUE(RunCommandLine({"--game-folder", game, "--apply", pack}, context) ==
                ExitStatus::Done)
        << out.str() << err.str();
    EXPECT_NE(out.str().find("Move the copies aside into custom_music\\backups, where they are "
                             "kept, so that the game reads its own folder again?\n"
                             "[Y]es, [N]o or [C]ancel? "),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("Patching Is Done!"), std::string::npos) << out.str();
    EXPECT_TRUE(FileExists(copy));
}

} // namespace
