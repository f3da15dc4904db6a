#include "patcher/gamefolder/GameFilesInUse.h"

#include <gtest/gtest.h>

namespace {

TEST(GameFilesInUseTest, NamesTheFirstHeldFileInTheCloseTheGameMessage) {
    const std::vector<std::string> targets = {"/g/US.ssc", "/g/Default.con", "/g/music.rfa"};
    const auto held = [](const std::string& path) { return path != "/g/US.ssc"; };
    EXPECT_EQ(FirstFileInUse(targets, held), "/g/Default.con");
    EXPECT_EQ(FirstFileInUse(targets, [](const std::string&) { return false; }), "");
    // Nothing holds a file so on Linux.
    EXPECT_EQ(FirstFileInUse(targets), "");
    EXPECT_EQ(FileInUseMessage("C:/Games/BfV/Mods/BfVietnam/Archives/music.rfa"),
              "Couldn't do it - C:/Games/BfV/Mods/BfVietnam/Archives/music.rfa is in use by "
              "another program (is the game running?). Close the game, then try again. Nothing "
              "was changed.");
}

} // namespace
