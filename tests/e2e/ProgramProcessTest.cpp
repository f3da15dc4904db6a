// The real programs as separate processes: palisor killed with SIGKILL in the middle of a
// backup or an install, then the next command; and a second palisor or korvane started on a
// work folder another one holds. Each test runs its own copy of the programs (a hard link
// beside a build-tree marker), so their work folders are the test's own.
#include "audio/TrackEncodeJob.h"
#include "builder/SongProject.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "platform/Sha256.h"
#include "platform/WorkFolders.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Finished {
    int status = -1;
    std::string out;
};

// A copy of a program in its own folder, with the marker that keeps its work folders there.
class ProgramCopy {
public:
    ProgramCopy(const std::string& binary, const std::string& folder) : folder_(folder) {
        fs::create_directories(folder);
        path_ = JoinPath(folder, fs::path(binary).filename().string());
        if (::link(binary.c_str(), path_.c_str()) != 0)
            fs::copy_file(binary, path_);
        WriteFileBytes(JoinPath(folder, kBuildTreeMarker), "");
    }

    pid_t Start(const std::vector<std::string>& args, const std::string& outName = "stdout.txt") {
        lastOut_ = JoinPath(folder_, outName);
        std::vector<std::string> all = {path_};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, lastOut_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        posix_spawnp(&pid, path_.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        outOf_[pid] = lastOut_;
        return pid;
    }

    Finished Wait(pid_t pid) {
        Finished result;
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
        result.out = ReadFileBytes(outOf_[pid]);
        return result;
    }

    Finished Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::string path_;
    std::string lastOut_;
    std::map<pid_t, std::string> outOf_;
};

// Kills the process (none: -1) when the condition holds or the time has passed, whichever
// is first.
void KillWhen(pid_t pid, const std::function<bool()>& condition, Clock::duration most) {
    const auto end = Clock::now() + most;
    while (Clock::now() < end && !condition())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (pid > 0)
        ::kill(pid, SIGKILL);
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0 || fs::is_symlink(fs::symlink_status(path));
}

std::string PseudoRandomBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (auto& byte : bytes) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        byte = static_cast<char>(state >> 56);
    }
    return bytes;
}

// A pack whose sixteen songs decode to a music.rfa of about 28 MB: one 20-second song, sixteen
// times.
std::string LongPack(const TempFolder& temp) {
    const std::string wav = temp.file("long.wav");
    WriteFileBytes(
        wav, MakeWav(1, 44100, 16, Pcm16Bytes(ToneSamples(1, 44100, 44100 * 20, 330.0, 0.2))));
    TrackEncodeJob job;
    if (!job.Run(wav))
        return "";
    const std::string ogg = ReadFileBytes(temp.file("long.ogg"));
    std::vector<PackEntry> entries = {{"velk/playlists.con", kPlaylistsText},
                                      {"velk/US.ssc", kUsSscText}};
    for (int n = 1; n <= 16; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "velk/music%.2d.ogg", n);
        entries.push_back({name, ogg});
    }
    const std::string pack = temp.file("long.velk");
    WriteFileBytes(pack, FlatArchiveBytes(entries));
    return pack;
}

std::map<std::string, std::optional<std::string>> GameDigests(const std::string& game) {
    std::map<std::string, std::optional<std::string>> digests;
    for (const auto& path :
         {GameFolder(game).DefaultCon(), GameFolder(game).MusicRfa(),
          GameFolder(game).InstalledPlaylists(), GameFolder(game).InstalledUsSsc()})
        digests[path] = Sha256::OfFile(path);
    return digests;
}

class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeGameFolder(game);
        WriteFileBytes(GameFolder(game).MusicRfa(), PseudoRandomBytes(32u << 20));
        original = GameDigests(game);
    }

    std::vector<std::string> On(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--game-folder", game});
        return args;
    }

    TempFolder temp;
    std::string game = temp.file("BFV");
    ProgramCopy palisor{KP_PALISOR, temp.file("palisor")};
    std::map<std::string, std::optional<std::string>> original;
};

const char* const kRecoveryTexts[] = {
    "Palisor found an interrupted change to the game files and finished it",
    "Palisor found an interrupted change to the game files and undid it"};

bool ToldRecovery(const std::string& out) {
    return out.find(kRecoveryTexts[0]) != std::string::npos ||
           out.find(kRecoveryTexts[1]) != std::string::npos;
}

// --verbose puts a failure's cause (the failing call, its path, the system's error) on the line
// after its message; without it only the message is printed.
TEST_F(ProgramProcessTest, VerboseAddsTheCauseOfAFailure) {
    const std::string customMusic = GameFolder(game).CustomMusic();
    WriteFileBytes(customMusic, "a file where the folder goes");
    const std::string message =
        "Couldn't do it - error while trying to create folder: " + customMusic + "\n";
    EXPECT_EQ(palisor.Run(On({"--backup"})).out, message);
    EXPECT_EQ(palisor.Run(On({"--backup", "--verbose"})).out,
              message + "mkdir on " + customMusic + ": already exists (17)\n");
}

TEST_F(ProgramProcessTest, KilledBackupIsNeverTakenForACompleteOne) {
    const auto start = Clock::now();
    ASSERT_EQ(palisor.Run(On({"--backup"})).status, 0);
    const auto whole = Clock::now() - start;
    ASSERT_EQ(palisor.Run(On({"--restore"})).status, 0);
    const std::string staging = JoinPath(GameFolder(game).Backups(), "music.rfa.kp-new");
    const std::string manifest = GameFolder(game).ManifestFile();
    const std::vector<std::pair<std::function<bool()>, double>> moments = {
        {[&] { return Exists(staging); }, 2.0},
        {[&] { return Exists(manifest + ".kp-new"); }, 2.0},
        {[] { return false; }, 0.3},
        {[] { return false; }, 0.6},
        {[] { return false; }, 0.9},
    };
    for (const auto& [moment, fraction] : moments) {
        SCOPED_TRACE(fraction);
        const pid_t pid = palisor.Start(On({"--backup"}));
        KillWhen(pid, moment, std::chrono::duration_cast<Clock::duration>(whole * fraction));
        palisor.Wait(pid);
        const Finished next = palisor.Run(On({"--backup"}));
        EXPECT_TRUE(next.status == 0 ||
                    next.out == "Can't do it - everything is already backed up..(how did "
                                "this get called?)\n")
            << next.out;
        EXPECT_EQ(Sha256::OfFile(GameFolder(game).BackedUpMusicRfa()),
                  original[GameFolder(game).MusicRfa()]);
        EXPECT_EQ(palisor.Run(On({"--restore"})).status, 0);
        EXPECT_EQ(GameDigests(game), original);
    }
}

TEST_F(ProgramProcessTest, KilledInstallIsFinishedOrUndoneByTheNextCommand) {
    const std::string pack = LongPack(temp);
    ASSERT_FALSE(pack.empty());
    ASSERT_EQ(palisor.Run(On({"--backup"})).status, 0);
    const auto start = Clock::now();
    ASSERT_EQ(palisor.Run(On({"--apply", pack})).status, 0);
    const auto whole = Clock::now() - start;
    const auto patched = GameDigests(game);
    ASSERT_EQ(palisor.Run(On({"--restore"})).status, 0);
    ASSERT_EQ(palisor.Run(On({"--backup"})).status, 0);

    const std::string journal = GameFolder(game).JournalFile();
    const std::string staging = GameFolder(game).MusicRfa() + ".kp-new";
    const std::vector<std::pair<std::string, std::function<bool()>>> moments = {
        {"staging", [&] { return Exists(staging); }},
        {"journal", [&] { return Exists(journal); }},
        {"30%", [] { return false; }},
        {"80%", [] { return false; }},
        {"95%", [] { return false; }},
    };
    int recovered = 0;
    for (const auto& [label, moment] : moments) {
        SCOPED_TRACE(label);
        const double fraction = label == "30%"   ? 0.3
                                : label == "80%" ? 0.8
                                : label == "95%" ? 0.95
                                                 : 2.0;
        const pid_t pid = palisor.Start(On({"--apply", pack}));
        KillWhen(pid, moment, std::chrono::duration_cast<Clock::duration>(whole * fraction));
        palisor.Wait(pid);
        const bool interrupted = Exists(journal);
        const Finished next = palisor.Run(On({"--apply", pack}));
        EXPECT_EQ(next.status, 0) << next.out;
        EXPECT_EQ(ToldRecovery(next.out), interrupted) << next.out;
        recovered += interrupted;
        EXPECT_EQ(GameDigests(game), patched);
    }
    EXPECT_GT(recovered, 0);
    ASSERT_EQ(palisor.Run(On({"--restore"})).status, 0);
    for (const auto& path : {GameFolder(game).DefaultCon(), GameFolder(game).MusicRfa()})
        EXPECT_EQ(Sha256::OfFile(path), original[path]);
}

TEST_F(ProgramProcessTest, SecondPalisorIsRefusedAndDisturbsNothing) {
    const std::string pack = LongPack(temp);
    ASSERT_EQ(palisor.Run(On({"--backup"})).status, 0);
    const pid_t first = palisor.Start(On({"--apply", pack}));
    KillWhen(
        -1, [&] { return Exists(JoinPath(palisor.folder(), "work/velk/music16.ogg")); },
        std::chrono::seconds(10));
    // The same program folder: the work folder is taken.
    const Finished sameWork = palisor.Wait(palisor.Start(On({"--backup"}), "second.txt"));
    // Another program folder on the same game: the game folder is taken.
    ProgramCopy elsewhere(KP_PALISOR, temp.file("elsewhere"));
    const Finished sameGame = elsewhere.Run(On({"--restore"}));
    const Finished done = palisor.Wait(first);

    EXPECT_EQ(sameWork.status, 1);
    EXPECT_EQ(sameWork.out, "Another Palisor is working with the work folder " +
                                JoinPath(palisor.folder(), "work") +
                                ". Wait until it has finished, then try again.\n");
    EXPECT_EQ(sameGame.status, 1);
    EXPECT_EQ(sameGame.out, "Another Palisor is changing the game files in " + game +
                                ". Wait until it has finished, then try again.\n");
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(done.out, "Patching Is Done!\n"); // no trace lines without --verbose
    EXPECT_EQ(palisor.Run(On({"--restore"})).status, 0);
    EXPECT_EQ(GameDigests(game)[GameFolder(game).MusicRfa()],
              original[GameFolder(game).MusicRfa()]);
}

TEST(KorvaneProcessTest, SecondKorvaneIsRefusedAndDisturbsNothing) {
    TempFolder temp;
    ProgramCopy korvane(KP_KORVANE, temp.file("korvane"));
    SongProject project;
    ASSERT_TRUE(CreateFolder(temp.file("songs")));
    for (int n = 1; n <= 16; ++n) {
        const std::string song = temp.file("songs/" + std::to_string(n) + ".wav");
        WriteFileBytes(song, MakeWav(1, 8000, 16, Pcm16Bytes(ToneSamples(1, 8000, 800, 200.0))));
        project.SlotAt(n).SetPath(song);
    }
    project.SetPath(temp.file("songs.velkp"));
    ASSERT_TRUE(project.Save());
    const std::string work = JoinPath(korvane.folder(), "velk_work");
    ASSERT_TRUE(CreateFolder(work));
    WriteFileBytes(JoinPath(work, "music01.ogg"), "the first build's track");
    FolderLock first; // the first Korvane, as far as the second can tell
    ASSERT_EQ(first.LockFile(work + ".lock"), FolderLock::Result::Taken);
    const std::vector<std::string> build = {"--build", project.path(), "--output",
                                            temp.file("pack.velk")};
    const Finished second = korvane.Run(build);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, "Another Korvane is working with the work folder " + work +
                              ". Wait until it has finished, then try again.\n");
    EXPECT_EQ(ReadFileBytes(JoinPath(work, "music01.ogg")), "the first build's track");
    EXPECT_FALSE(FileExists(temp.file("pack.velk")));
    first.Unlock();
    EXPECT_EQ(korvane.Run(build).status, 0);
    EXPECT_TRUE(FileExists(temp.file("pack.velk")));
}

} // namespace
