#include "builder/BuilderCommandLine.h"
#include "builder/GameTitle.h"
#include "builder/ImportSongs.h"
#include "builder/ProjectLock.h"
#include "builder/ProjectPaths.h"
#include "builder/SongProject.h"
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/NativePath.h"
#include "tests/support/AudioFileFixture.h"
#include "tests/support/ChosenBranch.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

namespace {

using Mode = BuilderArguments::Mode;
using Branch = BuilderArguments::Branch;
using Chosen = ChosenBranch<BuilderArguments>;

const Chosen kWindow{Branch::Window}, kHelp{Branch::Help}, kVersion{Branch::Version},
    kInvalid{Branch::Invalid}, kBuild = Chosen::Operation(Mode::Build),
                               kPack = Chosen::Operation(Mode::Pack),
                               kAdd = Chosen::Operation(Mode::Add);

Chosen ChosenBy(const BuilderArguments& parsed) {
    return Chosen::Of(parsed);
}

// The parsed values, or for an invalid parse the error line.
struct ParseCase {
    std::vector<std::string> arguments;
    Chosen mode;
    std::string project{}, folder{}, prefix{}, output{}, error{};
    int jobs = 0;
};

ParseCase Refused(std::vector<std::string> arguments, std::string error) {
    return {std::move(arguments), kInvalid, "", "", "", "", std::move(error)};
}

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, MapsArgumentsToModeAndValuesOrToExitTwo) {
    const ParseCase& expected = GetParam();
    const BuilderArguments parsed = ParseBuilderArguments(expected.arguments);
    EXPECT_TRUE(ChosenBy(parsed) == expected.mode) << parsed.error;
    EXPECT_EQ(parsed.project, expected.project);
    EXPECT_EQ(parsed.folder, expected.folder);
    EXPECT_EQ(parsed.prefix, expected.prefix);
    EXPECT_EQ(parsed.output, expected.output);
    EXPECT_EQ(parsed.error, expected.error);
    EXPECT_EQ(parsed.jobs, expected.jobs);
    if (!(expected.mode == kInvalid))
        return;
    TempFolder base;
    std::ostringstream out, err, progressLines;
    ConsolePrompts prompts{out};
    ConsoleProgress progress{progressLines};
    EXPECT_EQ(RunBuilderCommand(parsed, prompts, progress, base.path(), out, err),
              ExitStatus::BadInput);
    EXPECT_EQ(err.str(),
              "korvane: " + expected.error + "\nRun with --help for more information.\n");
    EXPECT_EQ(out.str() + progressLines.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseTest,
    testing::Values(
        ParseCase{{}, kWindow}, ParseCase{{"songs.velkp"}, kWindow, "songs.velkp"},
        ParseCase{
            {"--build", "p.velkp", "--output", "o.velk"}, kBuild, "p.velkp", "", "", "o.velk"},
        ParseCase{{"--output", "o.velk", "--build=p.velkp"}, kBuild, "p.velkp", "", "", "o.velk"},
        ParseCase{
            {"--pack", "dir", "--prefix", "velk", "--output", "a"}, kPack, "", "dir", "velk", "a"},
        ParseCase{
            {"--build", "p", "--output", "o", "--jobs", "1"}, kBuild, "p", "", "", "o", "", 1},
        ParseCase{{"--help"}, kHelp}, ParseCase{{"-h"}, kHelp},
        ParseCase{{"--build", "p", "--help"}, kHelp}, ParseCase{{"--version"}, kVersion},
        Refused({"--build", "p.velkp"}, "--build requires --output"),
        Refused({"--build"}, "--build: 1 required PROJECT.velkp missing"),
        Refused({"--build", "p", "--output", ""}, "--output: must not be empty"),
        Refused({"--build", "p", "--output", "o", "--prefix", "x"}, "--build excludes --prefix"),
        Refused({"--build", "p", "--output", "o", "--pack", "d"}, "--build excludes --pack"),
        Refused({"a.velkp", "--build", "p", "--output", "o"}, "PROJECT.velkp excludes --build"),
        Refused({"--build", "p", "--build", "q", "--output", "o"},
                "--build: At Most 1 required but received 2"),
        Refused({"--pack", "dir", "--output", "a"}, "--pack requires --prefix"),
        Refused({"--prefix", "velk"}, "--prefix requires --pack"),
        Refused({"--build", "p", "--output", "o", "--jobs", "0"},
                "--jobs: Value 0 not in range 1 to 16"),
        Refused({"--build", "p", "--output", "o", "--jobs", "17"},
                "--jobs: Value 17 not in range 1 to 16"),
        Refused({"--jobs", "2"}, "--jobs requires --build"),
        Refused({"--output", "o.velk"}, "--output requires --build or --pack"),
        ParseCase{{"--verbose", "--build", "p.velkp", "--output", "o.velk"},
                  kBuild,
                  "p.velkp",
                  "",
                  "",
                  "o.velk"},
        Refused({"--verbose"}, "--verbose requires --build or --pack"),
        Refused({"--frobnicate"}, "The following argument was not expected: --frobnicate"),
        Refused({"a.velkp", "b.velkp"}, "The following argument was not expected: b.velkp"),
        Refused({"--add", "p.velkp"}, "--add: At least 2 required but received 1"),
        Refused({"--no-loudness"}, "--no-loudness requires --add"),
        Refused({"--add", "p", "a", "--output", "o"}, "--output excludes --add"),
        Refused({"--add", "p", "a", "--build", "q", "--output", "o"}, "--build excludes --add"),
        Refused({"--add", "p", "a", "--add", "q", "b"}, "--add: At Most 1 required but received 2"),
        Refused({"--trim", "p", "Q", "1", "2"},
                "--trim: SLOT must be a letter A-P or a number 1-16: Q"),
        Refused({"--trim", "p", "17", "1", "2"},
                "--trim: SLOT must be a letter A-P or a number 1-16: 17"),
        Refused({"--untrim", "p", "0"}, "--untrim: SLOT must be a letter A-P or a number 1-16: 0"),
        Refused({"--trim", "p", "A", "x", "2"},
                "--trim: START must be a time in seconds, such as 75.5: x"),
        Refused({"--trim", "p", "A", "1", "2.55"},
                "--trim: END must be a time in seconds, such as 75.5: 2.55"),
        Refused({"--trim", "p", "A", "1", "2", "--fade-in", "-1"},
                "--fade-in: S must be a time in seconds, such as 75.5: -1"),
        Refused({"--trim", "p", "A", "1"}, "--trim: At least 4 required but received 3"),
        Refused({"--untrim", "p"}, "--untrim: At least 2 required but received 1"),
        Refused({"--fade-out", "1"}, "--fade-out requires --trim"),
        Refused({"--trim", "p", "A", "1", "2", "--untrim", "p", "A"}, "--trim excludes --untrim"),
        Refused({"--trim", "p", "A", "1", "2", "--output", "o"}, "--output excludes --trim"),
        Refused({"--add", "p", "a", "--untrim", "p", "A"}, "--add excludes --untrim")),
    [](const auto& tested) {
        std::string line;
        for (const std::string& argument : tested.param.arguments)
            line += argument + " ";
        return line.empty() ? "NoArguments" : TestName(line);
    });

struct TrimArgumentsCase {
    std::vector<std::string> arguments;
    Mode mode;
    int slot;
    SongTrim trim;
};

class TrimArgumentsTest : public testing::TestWithParam<TrimArgumentsCase> {};

TEST_P(TrimArgumentsTest, TakeProjectSlotAndTimes) {
    const BuilderArguments parsed = ParseBuilderArguments(GetParam().arguments);
    EXPECT_TRUE(ChosenBy(parsed) == (Chosen{Branch::Operation, GetParam().mode})) << parsed.error;
    EXPECT_EQ(parsed.project, "my.velkp");
    EXPECT_EQ(parsed.slot, GetParam().slot);
    EXPECT_EQ(parsed.trim, GetParam().trim);
}

INSTANTIATE_TEST_SUITE_P(
    Trims, TrimArgumentsTest,
    testing::Values(
        TrimArgumentsCase{{"--trim", "my.velkp", "C", "30", "3:30.5"}, Mode::Trim, 3, {30, 210.5}},
        TrimArgumentsCase{{"--trim", "my.velkp", "p", "0", "END", "--fade-out", "4.5"},
                          Mode::Trim,
                          16,
                          {0, std::nullopt, 0, 4.5}},
        TrimArgumentsCase{{"--fade-in", "2", "--trim", "my.velkp", "16", "1.5", "end"},
                          Mode::Trim,
                          16,
                          {1.5, std::nullopt, 2, 0}},
        TrimArgumentsCase{{"--untrim", "my.velkp", "b"}, Mode::Untrim, 2, {}}),
    [](const auto& tested) {
        return TestName(std::to_string(tested.index) + "_" + tested.param.arguments[0]);
    });

TEST(AddArgumentsTest, TakeProjectSongsAndLoudnessSwitch) {
    BuilderArguments parsed =
        ParseBuilderArguments({"--add", "my songs.velkp", "a.mp3", "b c.flac", "--no-loudness"});
    EXPECT_TRUE(ChosenBy(parsed) == kAdd) << parsed.error;
    EXPECT_EQ(parsed.project, "my songs.velkp");
    EXPECT_EQ(parsed.songs, (std::vector<std::string>{"a.mp3", "b c.flac"}));
    EXPECT_FALSE(parsed.matchLoudness);
    parsed = ParseBuilderArguments({"--add", "p.velkp", "a.opus"});
    EXPECT_TRUE(ChosenBy(parsed) == kAdd) << parsed.error;
    EXPECT_TRUE(parsed.matchLoudness);
}

class CommandLineTest : public testing::Test {
protected:
    ExitStatus Run(const std::vector<std::string>& arguments) {
        return RunBuilderCommand(ParseBuilderArguments(arguments), prompts, progress, base.path(),
                                 out, err);
    }

    // A project of sixteen short mono songs, saved to a file.
    std::string ValidProject() {
        SongProject project;
        for (int position = 1; position <= 16; ++position) {
            const std::string song = songs.file("s" + std::to_string(position) + ".wav");
            WriteFileBytes(song, MakeWav(1, 8000, 16,
                                         Pcm16Bytes(ToneSamples(1, 8000, 800, 200.0 * position))));
            project.SlotAt(position).SetPath(song);
        }
        project.SetPath(songs.file("p.velkp"));
        EXPECT_TRUE(project.Save());
        return project.path();
    }

    TempFolder base;
    TempFolder songs;
    std::ostringstream out, err, progressLines;
    ConsolePrompts prompts{out};
    ConsoleProgress progress{progressLines};
};

TEST_F(CommandLineTest, BuildOfValidProject) {
    const std::string pack = songs.file("pack.velk");
    EXPECT_EQ(Run({"--build", ValidProject(), "--output", pack}), ExitStatus::Done);
    EXPECT_EQ(out.str(), "Done!\n");
    EXPECT_TRUE(FileExists(pack));
    const std::string lines = progressLines.str();
    EXPECT_EQ(lines.rfind("[  3%] Creating Playlist\n", 0), 0u) << lines;
    EXPECT_NE(lines.find("[  8%] Creating music01.wav\n"), std::string::npos);
    EXPECT_NE(lines.find("[ 94%] Encoding music16.wav\n"), std::string::npos);
    EXPECT_NE(lines.find("[ 97%] Packaging...\n"), std::string::npos);
    EXPECT_EQ(lines.find("100%"), std::string::npos);
}

TEST_F(CommandLineTest, InvalidProjectIsRefused) {
    SongProject project;
    project.SetPath(songs.file("empty.velkp"));
    ASSERT_TRUE(project.Save());
    EXPECT_EQ(Run({"--build", project.path(), "--output", songs.file("pack.velk")}),
              ExitStatus::Failed);
    EXPECT_EQ(out.str(), "One or more items are not valid. Unable to build.\n");
    EXPECT_EQ(progressLines.str(), "");
    EXPECT_FALSE(FileExists(songs.file("pack.velk")));
}

TEST_F(CommandLineTest, UnreadableProjectFiles) {
    EXPECT_EQ(Run({"--build", songs.file("none.velkp"), "--output", songs.file("o.velk")}),
              ExitStatus::BadInput);
    EXPECT_EQ(out.str(), "Error reading project file.\n");
    out.str("");
    WriteFileBytes(songs.file("cut.velkp"), "\x02");
    EXPECT_EQ(Run({"--build", songs.file("cut.velkp"), "--output", songs.file("o.velk")}),
              ExitStatus::BadInput);
    EXPECT_NE(out.str().find("cut.velkp"), std::string::npos);
}

TEST_F(CommandLineTest, UndeliveredPackIsAFailure) {
    const std::string inside = base.file("velk_work/pack.velk");
    EXPECT_EQ(Run({"--build", ValidProject(), "--output", inside}), ExitStatus::Failed);
    EXPECT_EQ(out.str(), "Unable to move released file\n");
    // --verbose adds the system's cause on the next line, naming the destination.
    out.str("");
    prompts.SetVerbose(true);
    EXPECT_EQ(Run({"--build", ValidProject(), "--output", inside, "--verbose"}),
              ExitStatus::Failed);
    EXPECT_EQ(out.str().rfind("Unable to move released file\n", 0), 0u) << out.str();
    EXPECT_NE(out.str().find(FileNameOf(inside)), std::string::npos) << out.str();
}

TEST_F(CommandLineTest, PackWritesAnArchive) {
    ASSERT_TRUE(CreateFolder(songs.file("tree")));
    WriteFileBytes(songs.file("tree/a.txt"), "hello");
    EXPECT_EQ(
        Run({"--pack", songs.file("tree"), "--prefix", "velk", "--output", songs.file("a.velk")}),
        ExitStatus::Done);
    EXPECT_TRUE(FileExists(songs.file("a.velk")));
    EXPECT_EQ(Run({"--pack", songs.file("tree"), "--prefix", "velk", "--output",
                   songs.file("missing/a.velk")}),
              ExitStatus::Failed);
}

// Sixteen songs of every kind the importer reads, each short.
std::vector<std::string> MixedSongs(const TempFolder& folder) {
    struct Kind {
        const char* name;
        int (*format)();
        int rate;
        int channels;
    };
    const Kind kinds[] = {
        {"one.mp3", AudioFormat::Mp3, 44100, 2},
        {"two.flac", AudioFormat::Flac16, 48000, 2},
        {"three.ogg", AudioFormat::OggVorbis, 22050, 1},
        {"four.opus", AudioFormat::Opus, 48000, 2},
        {"five.aiff", AudioFormat::Aiff24, 96000, 6},
        {"six.wav", AudioFormat::WavFloat, 44100, 2},
        {"seven.wav", AudioFormat::Wav24, 48000, 1},
        {"eight.wav", AudioFormat::Wav16, 22050, 1},
        {"nine.mp3", AudioFormat::Mp3, 22050, 1},
        {"ten.flac", AudioFormat::Flac16, 96000, 6},
        {"eleven.ogg", AudioFormat::OggVorbis, 48000, 2},
        {"twelve.opus", AudioFormat::Opus, 48000, 1},
        {"thirteen.aif", AudioFormat::Aiff24, 44100, 2},
        {"fourteen.wav", AudioFormat::Wav16, 44100, 1},
        {"fifteen.wav", AudioFormat::Wav24, 96000, 2},
        {"sixteen née.flac", AudioFormat::Flac16, 44100, 1},
    };
    std::vector<std::string> files;
    for (const Kind& kind : kinds) {
        files.push_back(folder.file(kind.name));
        EXPECT_TRUE(WriteAudioFile(files.back(),
                                   AudioFileSpec(kind.format(), kind.rate, kind.channels, 0.4)))
            << kind.name;
    }
    return files;
}

TEST_F(CommandLineTest, AddSixteenMixedSongsThenBuild) {
    // The project, its imported songs and the pack in folders whose names the system's own
    // code page may lack.
    ASSERT_TRUE(CreateFolderTree(songs.file("Zoë/Café")));
    const std::string project = songs.file("Zoë/Café/my.velkp");
    std::vector<std::string> arguments = {"--add", project};
    for (const std::string& file : MixedSongs(songs))
        arguments.push_back(file);
    ASSERT_EQ(Run(arguments), ExitStatus::Done) << out.str();
    std::istringstream lines(out.str());
    std::string line;
    for (char letter = 'A'; letter <= 'P'; ++letter) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.substr(0, 3), std::string(1, letter) + ": ") << line;
    }
    EXPECT_NE(out.str().find("P: sixteen née (0:00, gain "), std::string::npos) << out.str();
    EXPECT_NE(progressLines.str().find("Importing songs: 16 of 16 done"), std::string::npos);
    const std::string saved = ReadFileBytes(project);

    // Full now: the next song is refused by name, and the project keeps its songs.
    out.str("");
    EXPECT_EQ(Run({"--add", project, songs.file("one.mp3")}), ExitStatus::Failed);
    EXPECT_EQ(out.str(), "No empty slot left for " + songs.file("one.mp3") + ".\n");
    EXPECT_EQ(ReadFileBytes(project), saved);

    out.str("");
    const std::string pack = songs.file("Zoë/Café/my.velk");
    EXPECT_EQ(Run({"--build", project, "--output", pack}), ExitStatus::Done) << out.str();
    EXPECT_EQ(out.str(), "Done!\n");
    EXPECT_TRUE(FileExists(pack));
}

TEST_F(CommandLineTest, AddRefusesAnUnreadableProjectAndCreatesAMissingOne) {
    WriteFileBytes(songs.file("cut.velkp"), "\x02");
    const std::string song = songs.file("song.flac");
    ASSERT_TRUE(WriteAudioFile(song, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.3)));
    EXPECT_EQ(Run({"--add", songs.file("cut.velkp"), song}), ExitStatus::BadInput);
    EXPECT_FALSE(FolderExists(songs.file("cut songs")));

    out.str("");
    EXPECT_EQ(Run({"--add", songs.file("new.velkp"), song, "--no-loudness"}), ExitStatus::Done);
    EXPECT_EQ(out.str(), "A: song (0:00, gain +0.0 dB)\n");
    SongProject loaded;
    ASSERT_TRUE(loaded.Load(songs.file("new.velkp")));
    EXPECT_EQ(loaded.SlotAt(1).title(), "song");
    EXPECT_EQ(loaded.SlotAt(1).path(), SystemSeparators(songs.file("new songs/song.wav")));
    EXPECT_EQ(loaded.SlotAt(1).status(), "Ok");
}

TEST_F(CommandLineTest, AddWhoseProjectCannotBeSavedTakesItsSongsBack) {
    const std::string song = songs.file("song.flac");
    ASSERT_TRUE(WriteAudioFile(song, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.3)));
    // The song's rename comes first, the project's second.
    FaultInjection::Arm(FileStep::Rename, 2);
    EXPECT_EQ(Run({"--add", songs.file("p.velkp"), song}), ExitStatus::Failed);
    FaultInjection::Disarm();
    EXPECT_EQ(out.str(), "A: song (0:00, gain +0.0 dB)\nError saving project...\n");
    EXPECT_FALSE(FileExists(songs.file("p.velkp")));
    EXPECT_TRUE(std::filesystem::is_empty(songs.file("p songs")));
}

// Runs with another current folder, and goes back to the one before.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(NativePath(folder));
    }
    ~InFolder() { std::filesystem::current_path(saved_); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path saved_;
};

TEST_F(CommandLineTest, RelativePathsAreStoredWholeSoAnotherFolderBuildsAndOpensTheProject) {
    ASSERT_TRUE(CreateFolderTree(songs.file("one/sub")));
    ASSERT_TRUE(CreateFolderTree(songs.file("two")));
    std::vector<std::string> arguments = {"--add", "sub/p.velkp"};
    for (int number = 1; number <= 16; ++number) {
        const std::string name = "s" + std::to_string(number) + ".wav";
        WriteFileBytes(songs.file("one/" + name),
                       MakeWav(1, 22050, 16, Pcm16Bytes(ToneSamples(1, 22050, 2205, 300.0))));
        arguments.push_back(name); // used where it is: a mono 16-bit WAV
    }
    ASSERT_TRUE(WriteAudioFile(songs.file("one/song.flac"),
                               AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.3)));
    arguments[16] = "song.flac"; // converted into "p songs" beside the project
    arguments.push_back("--no-loudness");
    {
        InFolder one(songs.file("one"));
        ASSERT_EQ(Run(arguments), ExitStatus::Done) << out.str();
    }
    const std::string project = songs.file("one/sub/p.velkp");
    const std::string stored = ReadFileBytes(project);
    EXPECT_NE(stored.find(SystemSeparators(songs.file("one/s1.wav"))), std::string::npos);
    EXPECT_NE(stored.find(SystemSeparators(songs.file("one/sub/p songs/song.wav"))),
              std::string::npos);
    // What a user of the system would type: no separator of the other system.
    const char foreign = std::filesystem::path::preferred_separator == '\\' ? '/' : '\\';
    EXPECT_EQ(stored.find(foreign), std::string::npos);

    out.str("");
    InFolder two(songs.file("two"));
    EXPECT_EQ(Run({"--build", "../one/sub/p.velkp", "--output", "p.velk"}), ExitStatus::Done)
        << out.str();
    EXPECT_TRUE(FileExists(songs.file("two/p.velk")));
    SongProject opened;
    ASSERT_TRUE(opened.Load("../one/sub/p.velkp"));
    EXPECT_TRUE(opened.AllValid());
}

int FilesIn(const std::string& folder) {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder),
                                          std::filesystem::directory_iterator()));
}

TEST_F(CommandLineTest, SecondAddOnTheSameProjectIsRefusedAndChangesNothing) {
    const std::string project = songs.file("p.velkp");
    const std::string first = songs.file("first.flac"), second = songs.file("second.flac");
    for (const auto& song : {first, second})
        ASSERT_TRUE(WriteAudioFile(song, AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.3)));
    // The second Korvane starts while the first one is converting its song.
    std::ostringstream secondOut;
    std::optional<ExitStatus> secondExit;
    FakeProgress firstProgress;
    firstProgress.cancelWhen = [&](const auto&) {
        if (!secondExit) {
            ConsolePrompts secondPrompts{secondOut};
            FakeProgress secondProgress;
            secondExit = RunBuilderCommand(ParseBuilderArguments({"--add", project, second}),
                                           secondPrompts, secondProgress, base.path(), out, err);
        }
        return false;
    };
    EXPECT_EQ(RunBuilderCommand(ParseBuilderArguments({"--add", project, first}), prompts,
                                firstProgress, base.path(), out, err),
              ExitStatus::Done);
    EXPECT_EQ(secondExit, ExitStatus::Failed);
    EXPECT_EQ(secondOut.str(), "Another Korvane is changing the project " +
                                   SystemSeparators(project) +
                                   ". Nothing was changed. Wait until it has finished, then try "
                                   "again.\n");
    SongProject saved;
    ASSERT_TRUE(saved.Load(project));
    EXPECT_EQ(saved.SlotAt(1).path(), SystemSeparators(songs.file("p songs/first.wav")));
    EXPECT_TRUE(ImportSongs::IsEmptySlot(saved.SlotAt(2)));
    EXPECT_EQ(FilesIn(songs.file("p songs")), 1); // nothing of the second song is left behind
    EXPECT_FALSE(FileExists(project + ".lock"));  // the lock lies in Korvane's own folder
}

// What an import did in a process of its own: the title it gave slot A, the bytes of the
// project it wrote, and how far its memory grew beyond what it started with.
struct ChildImport {
    std::string title;
    std::uintmax_t projectBytes = 0;
    long growthKiB = -1;
};

ChildImport AddInAChild(const std::string& project, const std::string& song,
                        const std::string& base) {
    const std::string growth = base + "/growth.txt";
    EXPECT_EQ(RunProgram(ProgramBesideTest("add_memory_probe"), {project, song, base, growth}), 0);
    ChildImport result;
    if (FileExists(growth))
        result.growthKiB = std::stol(ReadFileBytes(growth));
    SongProject saved;
    if (saved.Load(project))
        result.title = saved.SlotAt(1).title();
    result.projectBytes = std::filesystem::file_size(NativePath(project));
    return result;
}

// An MP3 behind an ID3v2.3 tag whose title frame holds titleBytes bytes of "x", written in
// pieces so that the test itself never holds the tag in memory.
bool WriteMp3WithTitle(const std::string& path, const std::string& folder, std::size_t titleBytes) {
    const std::string audio = folder + "/bare.mp3";
    if (!WriteAudioFile(audio, AudioFileSpec(AudioFormat::Mp3(), 44100, 1, 1)))
        return false;
    const auto syncSafe = [](std::size_t value) {
        return std::string{static_cast<char>((value >> 21) & 0x7F),
                           static_cast<char>((value >> 14) & 0x7F),
                           static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
    };
    const std::size_t frameBytes = 1 + titleBytes;
    const std::string frameSize{static_cast<char>(frameBytes >> 24),
                                static_cast<char>(frameBytes >> 16),
                                static_cast<char>(frameBytes >> 8), static_cast<char>(frameBytes)};
    std::ofstream file(NativePath(path), std::ios::binary);
    file << "ID3" << '\x03' << '\x00' << '\x00' << syncSafe(10 + frameBytes) << "TIT2" << frameSize
         << '\x00' << '\x00' << '\x00';
    const std::string piece(1 << 20, 'x');
    for (std::size_t left = titleBytes; left > 0; left -= std::min(left, piece.size()))
        file.write(piece.data(), static_cast<std::streamsize>(std::min(left, piece.size())));
    file << ReadFileBytes(audio);
    return static_cast<bool>(file);
}

std::uint32_t OggCrc(const std::string& page) {
    std::uint32_t crc = 0;
    for (const char byte : page) {
        crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

std::string Le32(std::uint32_t value) {
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// An Ogg Vorbis file whose comment header holds a TITLE of titleBytes bytes of "x", paged by
// hand and written page by page: libvorbis grows its header buffer 256 bytes at a time, which
// takes hours for 64 MB under a sanitizer's copying realloc. The identification page is a real
// encoder's; nothing follows the comment, since a file with such tags is refused unread.
bool WriteOggWithTitle(const std::string& path, const std::string& folder, std::size_t titleBytes) {
    const std::string small = folder + "/small.ogg";
    if (!WriteAudioFile(small, AudioFileSpec(AudioFormat::OggVorbis(), 44100, 1, 1)))
        return false;
    const std::string bytes = ReadFileBytes(small);
    const auto segments = static_cast<unsigned char>(bytes.at(26));
    std::size_t firstPage = 27 + segments;
    for (std::size_t i = 0; i < segments; ++i)
        firstPage += static_cast<unsigned char>(bytes.at(27 + i));
    std::ofstream file(NativePath(path), std::ios::binary);
    file << bytes.substr(0, firstPage);
    const std::string head = std::string("\x03vorbis", 7) + Le32(0) + Le32(1) +
                             Le32(static_cast<std::uint32_t>(6 + titleBytes)) + "TITLE=";
    std::size_t left = head.size() + titleBytes + 1; // the framing bit ends the packet
    bool headWritten = false;
    for (std::uint32_t sequence = 1; left > 0; ++sequence) {
        const std::size_t body = std::min<std::size_t>(left, 255 * 254); // lacing fits 255
        std::string lacing(body / 255, '\xFF');
        if (body == left)
            lacing += static_cast<char>(body % 255);
        std::string page = "OggS" + std::string(1, '\0') +
                           (sequence > 1 ? "\x01" : std::string(1, '\0')) + std::string(8, '\0') +
                           bytes.substr(14, 4) + Le32(sequence) + Le32(0) +
                           static_cast<char>(lacing.size()) + lacing;
        std::size_t fill = body;
        if (!headWritten) {
            page += head;
            fill -= head.size();
            headWritten = true;
        }
        if (body == left)
            --fill; // room for the framing bit
        page += std::string(fill, 'x');
        if (body == left)
            page += '\x01';
        const std::string crc = Le32(OggCrc(page));
        page.replace(22, 4, crc);
        file << page;
        left -= body;
    }
    return static_cast<bool>(file);
}

struct TagCase {
    const char* name;
    std::function<bool(const std::string& path, const std::string& folder)> make;
    std::string title; // as the project holds it ("empty slot": refused)
};

void PrintTo(const TagCase& tagCase, std::ostream* out) {
    *out << tagCase.name;
}

class TagTitleTest : public CommandLineTest, public testing::WithParamInterface<TagCase> {};

constexpr std::size_t kGiantTag = 64u << 20;

TEST_P(TagTitleTest, IsCutToWhatTheGameShowsAndNeverReadWhole) {
    const std::string song = songs.file(GetParam().name);
    ASSERT_TRUE(GetParam().make(song, songs.path()));
    const ChildImport import = AddInAChild(songs.file("p.velkp"), song, base.path());
    EXPECT_EQ(import.title, GetParam().title);
    EXPECT_LT(import.projectBytes, 4096u);
    RecordProperty("memory_growth_kib", std::to_string(import.growthKiB));
    ASSERT_GE(import.growthKiB, 0);
    EXPECT_LT(static_cast<std::size_t>(import.growthKiB) * 1024, kGiantTag / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, TagTitleTest,
    testing::Values(
        TagCase{"long.flac",
                [](const std::string& path, const std::string&) {
                    return WriteAudioFile(path, AudioFileSpec(AudioFormat::Flac16(), 44100, 1, 1)
                                                    .Tags("", std::string(300, 'y')));
                },
                std::string(kMostGameTitleBytes, 'y')},
        TagCase{"greek.ogg",
                [](const std::string& path, const std::string&) {
                    std::string mu;
                    for (int i = 0; i < 200; ++i)
                        mu += "\u03bc";
                    return WriteAudioFile(
                        path, AudioFileSpec(AudioFormat::OggVorbis(), 44100, 1, 1).Tags("", mu));
                },
                std::string(kMostGameTitleBytes, '\xB5')},
        TagCase{"giant.ogg",
                [](const std::string& path, const std::string& folder) {
                    return WriteOggWithTitle(path, folder, kGiantTag);
                },
                "empty slot"},
        TagCase{"giant.mp3",
                [](const std::string& path, const std::string& folder) {
                    return WriteMp3WithTitle(path, folder, kGiantTag);
                },
                "empty slot"}),
    [](const auto& test) { return TestName(test.param.name); });

TEST_F(CommandLineTest, TrimAndUntrimChangeOneSlotOrNothing) {
    const std::string project = ValidProject();
    SongProject setUp;
    ASSERT_TRUE(setUp.Load(project));
    WriteFileBytes(songs.file("four.wav"),
                   MakeWav(1, 8000, 16, Pcm16Bytes(ToneSamples(1, 8000, 4 * 8000, 300))));
    setUp.SlotAt(3).SetPath(songs.file("four.wav"));
    setUp.SlotAt(3).SetTitle("Four");
    ASSERT_TRUE(setUp.Save());
    const std::string untrimmed = ReadFileBytes(project);

    EXPECT_EQ(Run({"--trim", project, "C", "0.5", "3", "--fade-in", "0.5", "--fade-out", "1"}),
              ExitStatus::Done);
    EXPECT_EQ(out.str(), "C: Four (from 0.5 s to 3.0 s, fade in 0.5 s, fade out 1.0 s)\n");
    SongProject saved;
    ASSERT_TRUE(saved.Load(project));
    EXPECT_EQ(saved.SlotAt(3).trim(), (SongTrim{0.5, 3, 0.5, 1}));
    EXPECT_EQ(ReadFileBytes(project)[0], '\x03');

    const std::string trimmed = ReadFileBytes(project);
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"--trim", project, "c", "3", "2"},
          {"--trim", project, "3", "0", "4.1"},
          {"--trim", project, "A", "0", "end", "--fade-in", "1"}}) {
        out.str("");
        EXPECT_EQ(Run(refused), ExitStatus::Failed) << refused[2];
        EXPECT_EQ(ReadFileBytes(project), trimmed);
    }
    EXPECT_EQ(out.str(), "A trimmed song must last at least 1 second.\n");

    out.str("");
    EXPECT_EQ(Run({"--trim", project, "3", "1", "end"}), ExitStatus::Done);
    EXPECT_EQ(out.str(), "C: Four (from 1.0 s to the end, fade in 0.0 s, fade out 0.0 s)\n");
    out.str("");
    EXPECT_EQ(Run({"--untrim", project, "c"}), ExitStatus::Done);
    EXPECT_EQ(out.str(), "C: Four (the whole song)\n");
    EXPECT_EQ(ReadFileBytes(project), untrimmed); // the version-2 file again

    out.str("");
    EXPECT_EQ(Run({"--trim", songs.file("missing.velkp"), "A", "0", "end"}), ExitStatus::BadInput);
    EXPECT_EQ(out.str(), "Error reading project file.\n");
}

TEST_F(CommandLineTest, HelpVersionAndBadArguments) {
    EXPECT_EQ(Run({"--version"}), ExitStatus::Done);
    EXPECT_EQ(out.str(), "Korvane Version 1.02.2\n");
    EXPECT_EQ(Run({"--help"}), ExitStatus::Done);
    EXPECT_EQ(out.str(), "Korvane Version 1.02.2\n" + BuilderUsage());
    for (const char* line : {"  --build PROJECT.velkp       Build a music pack to --output\n",
                             "Exit status:\n  0  done\n  1  refused, failed or cancelled\n"})
        EXPECT_NE(out.str().find(line), std::string::npos) << line;
    EXPECT_EQ(Run({"--build"}), ExitStatus::BadInput);
    EXPECT_EQ(err.str(), "korvane: --build: 1 required PROJECT.velkp missing\n"
                         "Run with --help for more information.\n");
}

} // namespace
