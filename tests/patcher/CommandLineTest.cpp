#include "patcher/CommandLine.h"
#include "common/FileOps.h"
#include "patcher/PatcherPaths.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Messages = std::vector<std::string>;

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = temp.file("BFV");
        base = temp.file("program");
        MakeGameFolder(game);
        ASSERT_TRUE(CreateFolder(base));
    }

    int Run(const std::vector<std::string>& args) {
        prompts.messages.clear();
        out.str("");
        err.str("");
        CommandLineContext context{prompts, progress, out, err, base, [this] {
                                       ++registryReads;
                                       return registryFolder;
                                   }};
        return RunCommandLine(args, context);
    }

    TempFolder temp;
    std::string game, base, registryFolder;
    int registryReads = 0;
    FakePrompts prompts;
    FakeProgress progress;
    std::ostringstream out, err;
};

TEST_F(CommandLineTest, BackupApplyRestoreRoundTripLeavesTheGameAsItWas) {
    auto original = TreeSnapshot(game);
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    EXPECT_EQ(prompts.messages,
              Messages{"Your files are now backed up in: " + BackupsFolder(game)});
    WriteFileBytes(temp.file("pack.velk"), FlatArchiveBytes(RegularPackEntries()));
    EXPECT_EQ(Run({"--game-folder", game, "--apply", temp.file("pack.velk")}), 0);
    EXPECT_EQ(prompts.messages, Messages{"Patching Is Done!"});
    EXPECT_EQ(Run({"--restore", "--game-folder", game}), 0);
    EXPECT_EQ(prompts.messages, Messages{"Your original files have been restored."});
    for (const char* left : {"custom_music", "custom_music/backups", "custom_music/US.ssc",
                             "custom_music/playlists.con"})
        original[left] = TreeSnapshot(game)[left];
    EXPECT_EQ(TreeSnapshot(game), original);
    EXPECT_EQ(registryReads, 0);
}

TEST_F(CommandLineTest, FailuresExitWithOneAfterTheirMessage) {
    EXPECT_EQ(Run({"--game-folder", game, "--restore"}), 1);
    EXPECT_EQ(prompts.messages,
              Messages{"Can't do it - the backup files have been removed - what did you do!?"});
    EXPECT_EQ(Run({"--game-folder", game, "--apply", temp.file("none.velk")}), 1);
    EXPECT_EQ(prompts.messages, Messages{"Back up your originals first."});
}

TEST_F(CommandLineTest, WithoutGameFolderTheRegistryValueIsUsed) {
    EXPECT_EQ(Run({"--backup"}), 1);
    EXPECT_EQ(prompts.messages, Messages{"Can't do it - you need to locate the BFV folder!"});
    registryFolder = game;
    EXPECT_EQ(Run({"--backup"}), 0);
    EXPECT_EQ(registryReads, 2);
}

TEST_F(CommandLineTest, TheWorkFolderIsPreparedFirst) {
    WriteFileBytes(JoinPath(base, "work"), "a file in the way");
    ASSERT_TRUE(CreateFolder(JoinPath(base, "old")));
    EXPECT_EQ(Run({"--game-folder", game, "--backup"}), 0);
    EXPECT_TRUE(FolderExists(WorkFolderIn(base)));
    base = temp.file("missing/base");
    EXPECT_EQ(Run({"--game-folder", game, "--restore"}), 1);
    EXPECT_EQ(prompts.messages,
              Messages{"Error while trying to create folder: " + WorkFolderIn(base)});
}

TEST_F(CommandLineTest, UnpackExtractsIntoTheTargetFolder) {
    WriteFileBytes(temp.file("a.rfa"), FlatArchiveBytes({{"music/US/a.wav", "abc"}}, true));
    EXPECT_EQ(Run({"--unpack", temp.file("a.rfa"), "--to", temp.file("out")}), 0);
    EXPECT_EQ(ReadFileBytes(temp.file("out/music/US/a.wav")), "abc");
    EXPECT_EQ(Run({"--unpack", temp.file("absent.rfa"), "--to", temp.file("out")}), 1);
    EXPECT_NE(err.str().find("cannot unpack"), std::string::npos);
}

TEST_F(CommandLineTest, HelpAndVersion) {
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str(), "Palisor 1.02.2\n");
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(out.str(), CommandLineUsage());
    EXPECT_NE(out.str().find("--apply PACK.velk"), std::string::npos);
}

TEST_F(CommandLineTest, MalformedCommandLinesExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--apply"},
        {"--backup", "--restore"},
        {"--game-folder", game},
        {"--game-folder"},
        {"--game-folder", "a", "--game-folder", "b", "--backup"},
        {"--unpack", "x.rfa"},
        {"--to", "folder"},
        {"--backup", "--to", "folder"},
        {"--game-folder", game, "--unpack", "a", "--to", "b"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), 2) << args[0];
        EXPECT_NE(err.str().find("Usage:"), std::string::npos);
        EXPECT_TRUE(prompts.messages.empty());
    }
    EXPECT_FALSE(FolderExists(WorkFolderIn(base)));
}

} // namespace
