#include "patcher/gamefolder/GameFolder.h"
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
    const std::string noDefault =
        "Not a Battlefield Vietnam folder: Mods/BfVietnam/settings/Default.con is missing";
    EXPECT_EQ(GameFolder("").Problem(), noDefault);
    EXPECT_EQ(GameFolder(folder).Problem(), "This folder does not exist.");
    fs::create_directories(folder);
    EXPECT_EQ(GameFolder(folder).Problem(), noDefault);
    Put(folder + "/MODS/bfvietnam/Settings/default.CON", "x");
    EXPECT_EQ(GameFolder(folder).Problem(),
              "Not a Battlefield Vietnam folder: Mods/BfVietnam/Archives/music.rfa is missing");
    fs::create_directories(folder + "/MODS/bfvietnam/archives/Music.rfa");
    EXPECT_FALSE(GameFolder(folder).IsGame()); // a folder is not the file
    fs::remove(folder + "/MODS/bfvietnam/archives/Music.rfa");
    Put(folder + "/MODS/bfvietnam/archives/Music.rfa", "x");
    EXPECT_EQ(GameFolder(folder).Problem(), "");
}

} // namespace
