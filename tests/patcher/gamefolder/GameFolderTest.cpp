#include "patcher/gamefolder/GameFolder.h"
#include "patcher/gamefolder/GameDirAnswer.h"
#include "platform/FileOps.h"
#include "platform/PathRewrite.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

void Put(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFileBytes(path, bytes);
}

TEST(GameFolderTest, NamesTheFirstMissingGameFile) {
    TempFolder temp;
    const std::string folder = temp.file("BFV");
    // Written as the system writes paths.
    const std::string settings = JoinPath(JoinPath("Mods", "BfVietnam"), "settings");
    const std::string archives = JoinPath(JoinPath("Mods", "BfVietnam"), "Archives");
    const std::string noDefault =
        "Not a Battlefield Vietnam folder: " + JoinPath(settings, "Default.con") + " is missing";
    EXPECT_EQ(GameFolder("").Problem(), noDefault);
    EXPECT_EQ(GameFolder(folder).Problem(), "This folder does not exist.");
    fs::create_directories(folder);
    EXPECT_EQ(GameFolder(folder).Problem(), noDefault);
    Put(folder + "/MODS/bfvietnam/Settings/default.CON", "x");
    EXPECT_EQ(GameFolder(folder).Problem(),
              "Not a Battlefield Vietnam folder: " + JoinPath(archives, "music.rfa") + " is missing");
    fs::create_directories(folder + "/MODS/bfvietnam/archives/Music.rfa");
    EXPECT_FALSE(GameFolder(folder).IsGame()); // a folder is not the file
    fs::remove(folder + "/MODS/bfvietnam/archives/Music.rfa");
    Put(folder + "/MODS/bfvietnam/archives/Music.rfa", "x");
    EXPECT_EQ(GameFolder(folder).Problem(), "");
}

// A folder path Windows would take for another folder is never the game's there; Linux opens
// it as written.
TEST(GameFolderTest, APathThisSystemWouldRewriteIsNeverTheGames) {
    TempFolder temp;
    const std::string typed = temp.file("BFV.");
    for (const char* file : {GameFolder::kDefaultConInFolder, GameFolder::kMusicRfaInFolder})
        Put(JoinPath(temp.file("BFV"), file), "x"); // what Windows opens for it
    const std::string why = WhyThisSystemWouldRewrite(typed);
    if (why.empty()) // Linux: a folder of its own, which may be the game's
        for (const char* file : {GameFolder::kDefaultConInFolder, GameFolder::kMusicRfaInFolder})
            Put(JoinPath(typed, file), "x");
    EXPECT_EQ(GameFolder(typed).WhyRewritten(), why);
    EXPECT_EQ(GameFolder(typed).Problem(),
              why.empty() ? "" : "Windows would take this path for another folder: " + why + ".");
}

// The registry's GAMEDIR is outside data: a value that names no folder Palisor may use is
// refused with its cause, on every system.
TEST(GameDirAnswerTest, ValuesThatNameNoFolderAreRefusedWithTheirCause) {
    TempFolder temp;
    const std::string folder = temp.file("BFV");
    fs::create_directories(folder);
    Put(temp.file("Default.con"), "x");
    struct Row {
        std::string value, folder, why; // why: "" for a value that is used
    };
    const Row rows[] = {
        {"C:\\Games\\BFV", folder, ""},
        {"C:\\Games\\Missing", temp.file("Missing"), ""}, // its flag says it is missing
        {".", ".", "\".\" is not a full path, so it would be read from the current folder"},
        {"C:", folder, WhyWindowsWouldRewrite("C:")},
        {"\\\\?\\C:\\Games\\BFV", folder, WhyWindowsWouldRewrite("\\\\?\\C:\\Games\\BFV")},
        {"C:\\Games\\BFV.", folder, WhyWindowsWouldRewrite("C:\\Games\\BFV.")},
        {"C:\\Games\\Default.con", temp.file("Default.con"),
         "\"" + temp.file("Default.con") + "\" is a file, not a folder"},
    };
    for (const Row& row : rows) {
        const GameDirAnswer answer = GameDirAnswer::Of(row.value, row.folder, "the registry");
        EXPECT_EQ(answer.folder, row.why.empty() ? row.folder : "") << row.value;
        EXPECT_EQ(answer.refusal, row.why.empty() ? ""
                                                  : "GAMEDIR in the registry holds \"" + row.value +
                                                        "\", which Palisor does not use: " +
                                                        row.why + ".")
            << row.value;
    }
    EXPECT_EQ(GameDirAnswer::Of("", "", "the registry").refusal, "");
}

} // namespace
