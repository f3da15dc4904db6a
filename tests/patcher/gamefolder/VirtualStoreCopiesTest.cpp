#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/gamefolder/GameFolder.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FileOps.h"
#include "platform/PathNoCase.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::vector<std::string> kProgramFiles = {"C:\\Program Files (x86)", "C:\\Program Files"};
const std::string kLocal = "C:\\Users\\Zo\xC3\xAB\\AppData\\Local";

TEST(VirtualStoreCopiesTest, MirrorsOnlyAGameFolderUnderProgramFiles) {
    struct Row {
        std::string game;
        std::string mirror; // after kLocal + "/VirtualStore/", with the system's separator;
                            // "" for none
    };
    const Row rows[] = {
        {"C:\\Program Files (x86)\\EA GAMES\\Battlefield Vietnam",
         "Program Files (x86)/EA GAMES/Battlefield Vietnam"},
        {"C:\\Program Files\\EA GAMES\\Battlefield Vietnam",
         "Program Files/EA GAMES/Battlefield Vietnam"},
        // Case and separators differ from the known folder's; the mirror keeps the game's own.
        {"c:/program files (X86)/EA GAMES/BfV/", "program files (X86)/EA GAMES/BfV"},
        {"D:\\Games\\Battlefield Vietnam", ""},
        {"C:\\Program Files (x86)", ""},
        {"C:\\Program Files (x86) Old\\Battlefield Vietnam", ""},
        {"C:\\Games\\Program Files (x86)\\Battlefield Vietnam", ""},
    };
    for (const Row& row : rows) {
        const VirtualStoreCopies copies(row.game, kProgramFiles, kLocal);
        EXPECT_EQ(copies.Mirror(),
                  row.mirror.empty() ? ""
                                     : JoinPath(JoinPath(kLocal, "VirtualStore"),
                                                WithSystemSeparators(row.mirror)))
            << row.game;
        EXPECT_TRUE(copies.Existing().empty()) << row.game;
    }
    EXPECT_EQ(VirtualStoreCopies(rows[0].game, {}, kLocal).Mirror(), "");
    EXPECT_EQ(VirtualStoreCopies(rows[0].game, kProgramFiles, "").Mirror(), "");
}

// A game installed under a fake Program Files, with a fake %LOCALAPPDATA%, both in a temporary
// folder.
class VirtualStoreFixture : public ::testing::Test {
protected:
    TempFolder temp;
    std::string programFiles = temp.file("Program Files (x86)");
    std::string game = JoinPath(programFiles, "EA GAMES/Battlefield Vietnam");
    std::string local = temp.file("AppData/Local");
    VirtualStoreCopies copies{game, {programFiles}, local};

    void SetUp() override {
        MakeGameFolder(game);
        ASSERT_TRUE(CreateFolderTree(local));
        ASSERT_FALSE(copies.Mirror().empty());
    }

    void WriteCopy(const std::string& relative, const std::string& bytes) {
        const std::string path = JoinPath(copies.Mirror(), relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFileBytes(path, bytes);
    }

    std::vector<std::string> ExistingRelatives() const {
        std::vector<std::string> relatives;
        for (const auto& copy : copies.Existing())
            relatives.push_back(copy.relative);
        return relatives;
    }
};

TEST_F(VirtualStoreFixture, ListsTheCopiesThatExist) {
    const std::string con = GameFolder::kDefaultConInFolder, rfa = GameFolder::kMusicRfaInFolder;
    EXPECT_EQ(ExistingRelatives(), std::vector<std::string>{});
    // A folder where the file would be is no copy.
    std::filesystem::create_directories(JoinPath(copies.Mirror(), con));
    EXPECT_EQ(ExistingRelatives(), std::vector<std::string>{});
    std::filesystem::remove_all(JoinPath(copies.Mirror(), "Mods"));
    // The game's redirected writes ignore case, and so does the search.
    WriteCopy("mods/BFVIETNAM/archives/MUSIC.rfa", "copy");
    EXPECT_EQ(ExistingRelatives(), std::vector<std::string>{rfa});
    WriteCopy("mods/BFVIETNAM/settings/Default.con", "copy");
    std::filesystem::create_directories(JoinPath(copies.Mirror(), "custom_music"));
    EXPECT_EQ(ExistingRelatives(), (std::vector<std::string>{con, rfa, "custom_music"}));
}

TEST_F(VirtualStoreFixture, MovesTheCopiesAsideByteForByteAndRemovesTheEmptiedMirror) {
    const std::string con = std::string("copied\r\n\0setting", 16), rfa = "copied archive\xFF";
    WriteCopy(GameFolder::kDefaultConInFolder, con);
    WriteCopy("Mods/BfVietnam/Archives/music.rfa", rfa);
    WriteCopy("custom_music/playlists.con", "old playlists\r\n");
    WriteCopy("custom_music/backups/music.rfa", "an old tool's backup");
    WriteCopy("Mods/BfVietnam/Archives/other.rfa", "not ours");
    ASSERT_TRUE(CreateFolderTree(GameFolder(game).Backups()));
    WriteFileBytes(GameFolder(game).BackedUpMusicRfa(), "the real backup");
    const auto gameBefore = TreeSnapshot(game);

    const auto outcome = copies.MoveAside("2026-12-07 20-15-00");
    ASSERT_TRUE(outcome.moved) << outcome.failedCopy;
    const std::string aside =
        JoinPath(GameFolder(game).Backups(), "VirtualStore 2026-12-07 20-15-00");
    EXPECT_EQ(outcome.backupFolder, aside);
    EXPECT_EQ(TreeSnapshot(aside), (std::map<std::string, std::string>{
                                       {"Mods", "<folder>"},
                                       {"Mods/BfVietnam", "<folder>"},
                                       {"Mods/BfVietnam/Archives", "<folder>"},
                                       {"Mods/BfVietnam/Archives/music.rfa", rfa},
                                       {"Mods/BfVietnam/settings", "<folder>"},
                                       {"Mods/BfVietnam/settings/Default.con", con},
                                       {"custom_music", "<folder>"},
                                       {"custom_music/backups", "<folder>"},
                                       {"custom_music/backups/music.rfa", "an old tool's backup"},
                                       {"custom_music/playlists.con", "old playlists\r\n"}}));
    // The game's own files are as they were; only the backups gained the copies.
    auto gameAfter = TreeSnapshot(game);
    for (auto it = gameAfter.begin(); it != gameAfter.end();)
        it = it->first.rfind("custom_music/backups/VirtualStore", 0) == 0 ? gameAfter.erase(it)
                                                                          : std::next(it);
    EXPECT_EQ(gameAfter, gameBefore);
    // What is not a copy of ours stays, with the folders that hold it; emptied ones go.
    EXPECT_EQ(
        TreeSnapshot(copies.Mirror()),
        (std::map<std::string, std::string>{{"Mods", "<folder>"},
                                            {"Mods/BfVietnam", "<folder>"},
                                            {"Mods/BfVietnam/Archives", "<folder>"},
                                            {"Mods/BfVietnam/Archives/other.rfa", "not ours"}}));
    EXPECT_TRUE(copies.Existing().empty());
}

TEST_F(VirtualStoreFixture, AFailingMoveStopsNamesTheCopyAndLosesNothing) {
    WriteCopy(GameFolder::kDefaultConInFolder, "copied settings");
    WriteCopy(GameFolder::kMusicRfaInFolder, "copied archive");
    WriteCopy("custom_music/US.ssc", "copied sound script");
    // Something already has music.rfa's place in the backups: it is never replaced.
    const std::string aside = JoinPath(GameFolder(game).Backups(), "VirtualStore stamp");
    std::filesystem::create_directories(JoinPath(aside, "Mods/BfVietnam/Archives"));
    WriteFileBytes(JoinPath(aside, GameFolder::kMusicRfaInFolder), "there before");

    const auto outcome = copies.MoveAside("stamp");
    EXPECT_FALSE(outcome.moved);
    EXPECT_EQ(outcome.failedCopy, ResolvePathNoCase(copies.Mirror(), GameFolder::kMusicRfaInFolder));
    EXPECT_EQ(ReadFileBytes(JoinPath(aside, GameFolder::kDefaultConInFolder)), "copied settings");
    EXPECT_EQ(ReadFileBytes(JoinPath(aside, GameFolder::kMusicRfaInFolder)), "there before");
    EXPECT_EQ(ReadFileBytes(JoinPath(copies.Mirror(), GameFolder::kMusicRfaInFolder)), "copied archive");
    EXPECT_EQ(ReadFileBytes(JoinPath(copies.Mirror(), "custom_music/US.ssc")),
              "copied sound script");
    EXPECT_EQ(ReadFileBytes(GameFolder(game).MusicRfa()), kGameMusicRfa);
}

} // namespace
