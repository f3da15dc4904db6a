#include "builder/BuilderCommandLine.h"
#include "builder/SongProject.h"
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "common/FileOps.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNames.h"
#include "tests/support/WavFixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace {

using Mode = BuilderArguments::Mode;

// The parsed values, or for Mode::Invalid the error line.
struct ParseCase {
    std::vector<std::string> arguments;
    Mode mode;
    std::string project{}, folder{}, prefix{}, output{}, error{};
};

ParseCase Refused(std::vector<std::string> arguments, std::string error) {
    return {std::move(arguments), Mode::Invalid, "", "", "", "", std::move(error)};
}

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, MapsArgumentsToModeAndValuesOrToExitTwo) {
    const ParseCase& expected = GetParam();
    const BuilderArguments parsed = ParseBuilderArguments(expected.arguments);
    EXPECT_EQ(parsed.mode, expected.mode) << parsed.error;
    EXPECT_EQ(parsed.project, expected.project);
    EXPECT_EQ(parsed.folder, expected.folder);
    EXPECT_EQ(parsed.prefix, expected.prefix);
    EXPECT_EQ(parsed.output, expected.output);
    EXPECT_EQ(parsed.error, expected.error);
    if (expected.mode != Mode::Invalid)
        return;
    TempFolder base;
    std::ostringstream out, err, progressLines;
    ConsolePrompts prompts{out};
    ConsoleProgress progress{progressLines};
    EXPECT_EQ(RunBuilderCommand(parsed, prompts, progress, base.path(), out, err), kExitBadInput);
    EXPECT_EQ(err.str(),
              "korvane: " + expected.error + "\nRun with --help for more information.\n");
    EXPECT_EQ(out.str() + progressLines.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseTest,
    testing::Values(
        ParseCase{{}, Mode::Window}, ParseCase{{"songs.velkp"}, Mode::Window, "songs.velkp"},
        ParseCase{
            {"--build", "p.velkp", "--output", "o.velk"}, Mode::Build, "p.velkp", "", "", "o.velk"},
        ParseCase{
            {"--output", "o.velk", "--build=p.velkp"}, Mode::Build, "p.velkp", "", "", "o.velk"},
        ParseCase{{"--pack", "dir", "--prefix", "velk", "--output", "a"},
                  Mode::Pack,
                  "",
                  "dir",
                  "velk",
                  "a"},
        ParseCase{{"--help"}, Mode::Help}, ParseCase{{"-h"}, Mode::Help},
        ParseCase{{"--build", "p", "--help"}, Mode::Help}, ParseCase{{"--version"}, Mode::Version},
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
        Refused({"--output", "o.velk"}, "--output requires --build or --pack"),
        ParseCase{{"--verbose", "--build", "p.velkp", "--output", "o.velk"},
                  Mode::Build,
                  "p.velkp",
                  "",
                  "",
                  "o.velk"},
        Refused({"--verbose"}, "--verbose requires --build or --pack"),
        Refused({"--frobnicate"}, "The following argument was not expected: --frobnicate"),
        Refused({"a.velkp", "b.velkp"}, "The following argument was not expected: b.velkp")),
    [](const auto& tested) {
        std::string line;
        for (const std::string& argument : tested.param.arguments)
            line += argument + " ";
        return line.empty() ? "NoArguments" : TestName(line);
    });

class CommandLineTest : public testing::Test {
protected:
    int Run(const std::vector<std::string>& arguments) {
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
    EXPECT_EQ(Run({"--build", ValidProject(), "--output", pack}), kExitDone);
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
    EXPECT_EQ(Run({"--build", project.path(), "--output", songs.file("pack.velk")}), kExitFailed);
    EXPECT_EQ(out.str(), "One or more items are not valid. Unable to build.\n");
    EXPECT_EQ(progressLines.str(), "");
    EXPECT_FALSE(FileExists(songs.file("pack.velk")));
}

TEST_F(CommandLineTest, UnreadableProjectFiles) {
    EXPECT_EQ(Run({"--build", songs.file("none.velkp"), "--output", songs.file("o.velk")}),
              kExitBadInput);
    EXPECT_EQ(out.str(), "Error reading project file.\n");
    out.str("");
    WriteFileBytes(songs.file("cut.velkp"), "\x02");
    EXPECT_EQ(Run({"--build", songs.file("cut.velkp"), "--output", songs.file("o.velk")}),
              kExitBadInput);
    EXPECT_NE(out.str().find("cut.velkp"), std::string::npos);
}

TEST_F(CommandLineTest, UndeliveredPackIsAFailure) {
    const std::string inside = base.file("velk_work/pack.velk");
    EXPECT_EQ(Run({"--build", ValidProject(), "--output", inside}), kExitFailed);
    EXPECT_EQ(out.str(), "Unable to move released file\n");
}

TEST_F(CommandLineTest, PackWritesAnArchive) {
    ASSERT_TRUE(CreateFolder(songs.file("tree")));
    WriteFileBytes(songs.file("tree/a.txt"), "hello");
    EXPECT_EQ(
        Run({"--pack", songs.file("tree"), "--prefix", "velk", "--output", songs.file("a.velk")}),
        kExitDone);
    EXPECT_TRUE(FileExists(songs.file("a.velk")));
    EXPECT_EQ(Run({"--pack", songs.file("tree"), "--prefix", "velk", "--output",
                   songs.file("missing/a.velk")}),
              kExitFailed);
}

TEST_F(CommandLineTest, HelpVersionAndBadArguments) {
    EXPECT_EQ(Run({"--version"}), kExitDone);
    EXPECT_EQ(out.str(), "Korvane Version 1.02.2\n");
    EXPECT_EQ(Run({"--help"}), kExitDone);
    EXPECT_EQ(out.str(), "Korvane Version 1.02.2\n" + BuilderUsage());
    for (const char* line : {"  --build PROJECT.velkp       Build a music pack to --output\n",
                             "Exit status: 0 done, 1 failed or cancelled, 2 bad arguments"})
        EXPECT_NE(out.str().find(line), std::string::npos) << line;
    EXPECT_EQ(Run({"--build"}), kExitBadInput);
    EXPECT_EQ(err.str(), "korvane: --build: 1 required PROJECT.velkp missing\n"
                         "Run with --help for more information.\n");
}

} // namespace
