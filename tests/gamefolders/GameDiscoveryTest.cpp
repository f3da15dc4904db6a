#include "gamefolders/LutrisGames.h"
#include "gamefolders/SteamLibraries.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

void Put(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFileBytes(path, bytes);
}

void MakeGame(const std::string& folder) {
    Put(folder + "/Mods/BfVietnam/settings/Default.con", "run x\r\n");
    Put(folder + "/Mods/BfVietnam/Archives/music.rfa", "rfa");
}

void WriteGameDir(const std::string& prefix, const std::string& windowsPath) {
    Put(prefix + "/system.reg",
        "WINE REGISTRY Version 2\n\n[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n"
        "\"GAMEDIR\"=\"" +
            windowsPath + "\"\n");
}

// A home folder (and a place outside it) for discovery to search.
class DiscoveryTest : public ::testing::Test {
public:
    void SetUp() override {
        home = temp.file("home");
        outside = temp.file("outside");
        fs::create_directories(home);
        fs::create_directories(outside);
    }
    std::vector<FoundGameFolder> Find(const std::string& winePrefix = "") {
        return FindGameFolders({home, winePrefix});
    }
    // A prefix at home/relative with the game at its usual place.
    std::string PrefixWithGame(const std::string& prefix,
                               const std::string& install = "Program Files/EA GAMES/"
                                                            "Battlefield Vietnam") {
        MakeGame(prefix + "/drive_c/" + install);
        return prefix + "/drive_c/" + install;
    }

    TempFolder temp;
    std::string home, outside;
};

struct KindCase {
    const char* name;
    const char* kind;
    // Lays out one install; returns the game folder discovery must report.
    std::function<std::string(DiscoveryTest&)> install;
};

const KindCase kKinds[] = {
    {"WineDefault", "wine", [](DiscoveryTest& t) { return t.PrefixWithGame(t.home + "/.wine"); }},
    {"LutrisConfigYaml", "lutris",
     [](DiscoveryTest& t) {
         Put(t.home + "/.config/lutris/games/bfv-1612.yml",
             "game:\n  exe: drive_c/bfv/BfVietnam.exe\n  prefix: " + t.home +
                 "/Lutris Prefixes/bfv\nname: Battlefield Vietnam\nwine:\n  prefix: /wrong\n");
         return t.PrefixWithGame(t.home + "/Lutris Prefixes/bfv",
                                 "program files (x86)/ea games/BATTLEFIELD VIETNAM");
     }},
    {"LutrisDataYamlWithTilde", "lutris",
     [](DiscoveryTest& t) {
         Put(t.home + "/.local/share/lutris/games/b.yml", "{game: {prefix: '~/wine/b'}}\n");
         return t.PrefixWithGame(t.home + "/wine/b", "Games/Battlefield Vietnam");
     }},
    {"LutrisGamesFolder", "lutris",
     [](DiscoveryTest& t) { return t.PrefixWithGame(t.home + "/Games/battlefield-vietnam"); }},
    {"Bottles", "bottles",
     [](DiscoveryTest& t) {
         return t.PrefixWithGame(t.home + "/.local/share/bottles/bottles/BFV");
     }},
    {"BottlesFlatpak", "bottles",
     [](DiscoveryTest& t) {
         return t.PrefixWithGame(t.home +
                                 "/.var/app/com.usebottles.bottles/data/bottles/bottles/Games");
     }},
    {"PlayOnLinux", "playonlinux",
     [](DiscoveryTest& t) { return t.PrefixWithGame(t.home + "/.PlayOnLinux/wineprefix/BFV"); }},
    {"ProtonMainLibrary", "proton",
     [](DiscoveryTest& t) {
         return t.PrefixWithGame(t.home + "/.local/share/Steam/steamapps/compatdata/3210/pfx");
     }},
    {"ProtonListedLibraryOutsideHome", "proton",
     [](DiscoveryTest& t) {
         fs::create_directories(t.home + "/.local/share/Steam");
         fs::create_directories(t.home + "/.steam");
         fs::create_directory_symlink(t.home + "/.local/share/Steam", t.home + "/.steam/steam");
         Put(t.home + "/.steam/steam/steamapps/libraryfolders.vdf",
             "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + t.home +
                 "/.local/share/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + t.outside +
                 "/SteamLibrary\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n}"
                 "\n");
         return t.PrefixWithGame(t.outside + "/SteamLibrary/steamapps/compatdata/77/pfx");
     }},
    {"ProtonFlatpak", "proton",
     [](DiscoveryTest& t) {
         return t.PrefixWithGame(t.home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam/"
                                          "steamapps/compatdata/9/pfx");
     }},
};

class DiscoveryKindTest : public DiscoveryTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(DiscoveryKindTest, FindsTheGameInEachKindOfPrefix) {
    const std::string folder = GetParam().install(*this);
    auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].folder, folder);
    EXPECT_EQ(found[0].prefixKind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DiscoveryKindTest, ::testing::ValuesIn(kKinds),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(DiscoveryTest, ListsEveryInstallOnceWithRegistryAnswersFirst) {
    // $WINEPREFIX outside the home, its registry naming a folder nobody else would look in.
    const std::string named = temp.file("named");
    WriteGameDir(named, "C:\\\\Games\\\\BFV");
    MakeGame(named + "/drive_c/games/bfv");
    // ~/.wine: the registry names the usual folder, also reached through dosdevices.
    const std::string wine = home + "/.wine";
    WriteGameDir(wine, "C:\\\\Program Files\\\\EA GAMES\\\\Battlefield Vietnam");
    const std::string wineUsual = PrefixWithGame(wine);
    const std::string wineOther = PrefixWithGame(wine, "Program Files/Battlefield Vietnam");
    fs::create_directories(wine + "/dosdevices");
    fs::create_directory_symlink("../drive_c", wine + "/dosdevices/c:");
    // A Lutris file names ~/.wine again, and a bottle holds another install.
    Put(home + "/.config/lutris/games/again.yml", "game:\n  prefix: " + wine + "\n");
    const std::string bottle = PrefixWithGame(home + "/.local/share/bottles/bottles/b");

    auto found = Find(named);
    std::vector<std::pair<std::string, std::string>> got;
    for (const auto& game : found)
        got.emplace_back(game.folder, game.prefixKind);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {named + "/drive_c/games/bfv", "wine"},
        {wine + "/dosdevices/c:/Program Files/EA GAMES/Battlefield Vietnam", "wine"},
        {wineOther, "wine"},
        {bottle, "bottles"},
    };
    EXPECT_EQ(got, expected);
    EXPECT_NE(wineUsual, expected[1].first); // the same folder, listed once
}

// A prefix whose GAMEDIR names no folder gives none, and says why; the usual folders of that
// prefix are still searched.
TEST_F(DiscoveryTest, GamedirsThatNameNoFolderAreSaidWithTheirCause) {
    const std::string wine = home + "/.wine";
    const std::string usual = PrefixWithGame(wine);
    const std::string bottle = home + "/.local/share/bottles/bottles/b";
    Put(bottle + "/drive_c/Program Files/EA GAMES/Battlefield Vietnam/Default.con", "x");
    WriteGameDir(wine, ".");
    WriteGameDir(bottle, "C:\\\\Program Files\\\\EA GAMES\\\\Battlefield Vietnam\\\\Default.con");
    std::vector<std::string> refusals;
    const auto found = FindGameFolders({home, ""}, &refusals);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].folder, usual);
    const std::string file = bottle + "/drive_c/Program Files/EA GAMES/Battlefield Vietnam/"
                                      "Default.con";
    EXPECT_EQ(refusals,
              (std::vector<std::string>{
                  "GAMEDIR in the registry of the Wine prefix " + wine +
                      " holds \".\", which Palisor does not use: \".\" is not a full path, so it "
                      "would be read from the current folder.",
                  "GAMEDIR in the registry of the Wine prefix " + bottle +
                      " holds \"C:\\Program Files\\EA GAMES\\Battlefield Vietnam\\Default.con\", "
                      "which Palisor does not use: \"" + file + "\" is a file, not a folder."}));
}

TEST_F(DiscoveryTest, PassesOverBrokenAndHostileSettingsAndPrefixes) {
    // Each would lead to the game at `outside` if followed.
    const std::string evil = outside + "/prefix";
    PrefixWithGame(evil);
    const std::string lutris = home + "/.config/lutris/games/";
    Put(lutris + "big.yml",
        "game:\n  prefix: " + evil + "\n" + std::string(LutrisGames::kMaxSettingsBytes, '#'));
    Put(lutris + "broken.yml", "game:\n  prefix: \"" + evil + "\n  exe: [\n");
    Put(lutris + "relative.yml", "game:\n  prefix: Games/x\n");
    Put(outside + "linked.yml", "game:\n  prefix: " + evil + "\n");
    fs::create_symlink(outside + "linked.yml", lutris + "linked.yml");
    ASSERT_EQ(::mkfifo((lutris + "fifo.yml").c_str(), 0600), 0);
    fs::create_directories(home + "/.PlayOnLinux/wineprefix");
    fs::create_directory_symlink(evil, home + "/.PlayOnLinux/wineprefix/out");
    Put(home + "/Games/a-file", "not a prefix");
    Put(home + "/.steam/steam/steamapps/libraryfolders.vdf",
        "\"libraryfolders\" { \"0\" { \"path\" \"" + outside + "/lib\"  \"x\" { ");
    fs::create_directories(home + "/.steam/steam/steamapps/compatdata/1");
    fs::create_directory_symlink(evil, home + "/.steam/steam/steamapps/compatdata/1/pfx");
    Put(home + "/.wine/system.reg", std::string("\0\xff[Software\\\\EA GAMES\\\\Bat", 25));
    EXPECT_TRUE(Find().empty());

    // The one listed library before the VDF broke off is still searched, and a link that stays
    // inside the home is followed.
    const std::string listed = PrefixWithGame(outside + "/lib/steamapps/compatdata/5/pfx");
    const std::string linkedIn = PrefixWithGame(home + "/real/bfv");
    fs::create_directory_symlink(home + "/real/bfv", home + "/Games/bfv");
    auto found = Find();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].folder, home + "/Games/bfv/drive_c/Program Files/EA GAMES/Battlefield "
                                      "Vietnam");
    EXPECT_EQ(found[1].folder, listed);
}

TEST(LutrisYamlTest, ReadsOnlyTheGamePrefix) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"game:\n  prefix: /p\n", "/p"},
        {"game:\n  exe: x.exe\n  prefix: \"/a b\\u00e9\"\n", "/a b\xC3\xA9"},
        {"game: {args: [1, {prefix: /no}], prefix: '/q'}\n", "/q"},
        {"prefix: /top\nwine:\n  prefix: /wine\n", std::nullopt},
        {"game:\n  prefix:\n", std::nullopt},
        {"game:\n  prefix: *anchor\n", std::nullopt},
        {"game:\n  prefix: [/list]\n", std::nullopt},
        {"game: [prefix, /p]\n", std::nullopt},
        {"? [game]\n: {prefix: /p}\n", std::nullopt},
        {"game:\n\tprefix: /tab\n", std::nullopt},
        {std::string(100, '[') + "\n", std::nullopt},
        {"\xff\xfe\x00", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [yaml, prefix] : cases)
        EXPECT_EQ(LutrisGames::PrefixInYaml(yaml), prefix) << yaml;
}

TEST(SteamVdfTest, ReadsTheLibraryPaths) {
    using Paths = std::vector<std::string>;
    const std::vector<std::pair<std::string, Paths>> cases = {
        {"\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/a\"\n\t\t\"apps\"\n\t\t{\n"
         "\t\t\t\"10\"\t\"1\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"PATH\"\t\"/b "
         "\\\"q\\\"\\\\c\"\n\t}\n}\n",
         {"/a", "/b \"q\"\\c"}},
        {"\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"/old\" } ", {"/old"}},
        {"// comment\nlibraryfolders { 0 { path /bare [$LINUX] label \"\" } }", {"/bare"}},
        {"\"libraryfolders\" { \"0\" { \"path\" \"/kept\" } \"1\" { \"path\" \"/cut", {"/kept"}},
        {"\"libraryfolders\" { } } { \"0\" { \"path\" \"/after\" } }", {}},
        {"{ \"path\" \"/no-key\" }", {}},
        {std::string(100, '{'), {}},
        {"", {}},
    };
    for (const auto& [vdf, paths] : cases)
        EXPECT_EQ(SteamLibraries::PathsInVdf(vdf), paths) << vdf;
}

} // namespace
