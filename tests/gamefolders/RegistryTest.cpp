#include "common/RegistryValue.h"
#include "gamefolders/WinePaths.h"
#include "gamefolders/WineRegistry.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "platform/PathNoCase.h"
#include "tests/support/Environment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <tuple>

#include <sys/stat.h>

namespace {

// A registry held in a table, counting reads.
class TableRegistry : public RegistryBackend {
public:
    std::optional<std::string> ReadValue(RegistryRoot, const std::string& key,
                                         const std::string& name) const override {
        ++reads;
        lastKey = key;
        lastName = name;
        auto found = values.find(key + "|" + name);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    }

    std::map<std::string, std::string> values;
    mutable int reads = 0;
    mutable std::string lastKey, lastName;
};

struct SplitCase {
    std::string path, key, name;
};

void PrintTo(const SplitCase& split, std::ostream* out) {
    *out << split.path;
}

class RegistryPathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(RegistryPathSplit, SplitsKeyAndValueName) {
    TableRegistry registry;
    RegistryValue value(registry, RegistryRoot::LocalMachine, GetParam().path, "dflt", false);
    EXPECT_EQ(registry.lastKey, GetParam().key);
    EXPECT_EQ(registry.lastName, GetParam().name);
    EXPECT_EQ(value.Value(), "dflt");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RegistryPathSplit,
    ::testing::Values(SplitCase{"SOFTWARE\\EA GAMES\\Battlefield Vietnam\\GAMEDIR",
                                "SOFTWARE\\EA GAMES\\Battlefield Vietnam", "GAMEDIR"},
                      SplitCase{"\\\\SOFTWARE\\Vendor\\Value", "SOFTWARE\\Vendor", "Value"},
                      SplitCase{"SOFTWARE\\Vendor\\\\\\Value", "SOFTWARE\\Vendor", "Value"},
                      SplitCase{"Value", "", "Value"}, SplitCase{"Key\\", "Key", ""}),
    [](const auto& testInfo) { return "Case" + std::to_string(testInfo.index); });

TEST(RegistryValueTest, KeepsTheFirstSuccessfulReadUnlessAskedToReread) {
    TableRegistry registry;
    registry.values["K|V"] = std::string("first\0junk", 10);
    RegistryValue kept(registry, RegistryRoot::LocalMachine, "K\\V", "", false);
    registry.values["K|V"] = "second";
    EXPECT_EQ(kept.Value(), "first");
    EXPECT_EQ(registry.reads, 1);

    RegistryValue fresh(registry, RegistryRoot::LocalMachine, "K\\V", "", true);
    registry.values["K|V"] = "third";
    EXPECT_EQ(fresh.Value(), "third");
}

TEST(RegistryValueTest, FailedReadGivesDefaultAndIsTriedAgain) {
    TableRegistry registry;
    RegistryValue value(registry, RegistryRoot::LocalMachine, "K\\V", "fallback", false);
    EXPECT_FALSE(value.WasRead());
    EXPECT_EQ(value.Value(), "fallback");
    registry.values["K|V"] = "now there";
    EXPECT_EQ(value.Value(), "now there");
    EXPECT_TRUE(value.WasRead());
}

// A Wine prefix with a system.reg written from lines.
class WinePrefixTest : public ::testing::Test {
protected:
    void WriteHive(const std::string& body) {
        WriteFileBytes(temp.file("system.reg"),
                       "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                       "#arch=win32\n\n" +
                           body);
    }
    std::string GameDirRaw() {
        WineRegistry registry(temp.path());
        RegistryValue value(registry, RegistryRoot::LocalMachine, kGameDirRegistryPath, "", false);
        return value.Value();
    }
    void MakeDriveC(const std::string& relative) {
        std::filesystem::create_directories(temp.file("drive_c/" + relative));
        std::filesystem::create_directories(temp.file("dosdevices"));
        std::filesystem::create_symlink("../drive_c", temp.file("dosdevices/c:"));
    }

    TempFolder temp;
};

const char* kPlainKey = "[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1234567890\n"
                        "#time=1d9f0e0c0a0b0c0\n"
                        "\"GAMEDIR\"=\"C:\\\\Program Files\\\\EA GAMES\\\\Battlefield Vietnam\"\n";

TEST_F(WinePrefixTest, ReadsPlainKey) {
    WriteHive(kPlainKey);
    EXPECT_EQ(GameDirRaw(), "C:\\Program Files\\EA GAMES\\Battlefield Vietnam");
}

TEST_F(WinePrefixTest, PrefersTheWow6432NodeKey) {
    WriteHive("[Software\\\\Wow6432Node\\\\EA GAMES\\\\Battlefield Vietnam] 1\n"
              "\"GAMEDIR\"=\"C:\\\\Games\\\\BFV32\"\n\n" +
              std::string(kPlainKey));
    EXPECT_EQ(GameDirRaw(), "C:\\Games\\BFV32");
}

TEST_F(WinePrefixTest, ComparesKeyAndValueNamesWithoutCase) {
    WriteHive("[software\\\\ea games\\\\BATTLEFIELD VIETNAM] 1\r\n"
              "\"Other\"=\"x\"\r\n"
              "\"gamedir\"=\"D:\\\\BFV\"\r\n");
    EXPECT_EQ(GameDirRaw(), "D:\\BFV");
}

TEST_F(WinePrefixTest, DecodesEscapesAndExpandStrings) {
    WriteHive("[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n"
              "\"GAMEDIR\"=str(2):\"C:\\\\Sp\\x00e4ter \\\"q\\\"\\\\x\"\n");
    EXPECT_EQ(GameDirRaw(), "C:\\Sp\xC3\xA4ter \"q\"\\x");
}

TEST_F(WinePrefixTest, JoinsEscapedSurrogatePairsIntoOneCharacter) {
    WriteHive("[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n"
              "\"GAMEDIR\"=\"C:\\\\\\xd83c\\xdfb5 Songs\\xd83c!\"\n");
    EXPECT_EQ(GameDirRaw(), "C:\\\xF0\x9F\x8E\xB5 Songs\xED\xA0\xBC!");
}

TEST_F(WinePrefixTest, MissingPrefixKeyValueOrNonStringGiveTheDefault) {
    EXPECT_EQ(GameDirRaw(), ""); // no system.reg at all
    WriteHive("[Software\\\\EA GAMES\\\\Other Game] 1\n\"GAMEDIR\"=\"C:\\\\x\"\n");
    EXPECT_EQ(GameDirRaw(), "");
    WriteHive("[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n\"VERSION\"=\"1.2\"\n");
    EXPECT_EQ(GameDirRaw(), "");
    WriteHive("[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n\"GAMEDIR\"=dword:00000001\n");
    EXPECT_EQ(GameDirRaw(), "");
    EXPECT_EQ(GameFolderInWinePrefix(temp.file("no-prefix")), "");
    EXPECT_EQ(GameFolderInWinePrefix(""), "");
}

TEST_F(WinePrefixTest, MalformedLinesAreSkipped) {
    WriteHive("[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n"
              "\"GAMEDIR\"=\"C:\\\\unterminated\n"
              "\"GAMEDIR\n"
              "=\"\"\n"
              "[Software\\\\EA GAMES\\\\Battlefield Vietnam\n"
              "\"GAMEDIR\"=\"C:\\\\wrong\"\n"
              "[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n"
              "\"GAMEDIR\"=\"C:\\\\ok\\\\x\\\\\"\n");
    EXPECT_EQ(GameDirRaw(), "C:\\ok\\x\\");
}

TEST_F(WinePrefixTest, HivesThatAreNoRealFileOrTooLargeGiveTheDefault) {
    const std::string hive = temp.file("system.reg");
    const std::string longLine = "\"X\"=\"" + std::string(1u << 20, 'x') + "\"\n";
    const std::function<void()> cases[] = {
        [&] { ASSERT_EQ(::mkfifo(hive.c_str(), 0600), 0); }, // no writer: must not wait
        [&] { std::filesystem::create_directory(hive); },
        [&] { std::filesystem::create_symlink("/dev/zero", hive); },
        [&] {
            WriteHive(kPlainKey);
            std::filesystem::resize_file(hive, (256u << 20) + 1); // sparse, over the file cap
        },
        [&] {
            std::string body = kPlainKey; // the value after a line over the line cap
            body.insert(body.find('\n') + 1, longLine);
            WriteHive(body);
        }};
    for (const auto& make : cases) {
        std::filesystem::remove_all(hive);
        make();
        EXPECT_EQ(GameDirRaw(), "");
    }
    // A line just under the cap is read past.
    std::filesystem::remove_all(hive);
    WriteHive("\"X\"=\"" + std::string((1u << 20) - 8, 'x') + "\"\n" + kPlainKey);
    EXPECT_EQ(GameDirRaw(), "C:\\Program Files\\EA GAMES\\Battlefield Vietnam");
}

TEST_F(WinePrefixTest, GameFolderMapsDriveCAndResolvesCase) {
    WriteHive(kPlainKey);
    MakeDriveC("program files/EA Games/battlefield vietnam");
    EXPECT_EQ(GameFolderInWinePrefix(temp.path()),
              temp.path() + "/dosdevices/c:/program files/EA Games/battlefield vietnam");
    EXPECT_TRUE(std::filesystem::is_directory(GameFolderInWinePrefix(temp.path())));
}

TEST_F(WinePrefixTest, DriveCWithoutDosdevicesFallsBackToDriveC) {
    WriteHive(kPlainKey);
    std::filesystem::create_directories(temp.file("drive_c/Program Files/EA GAMES/BFV"));
    EXPECT_EQ(GameFolderInWinePrefix(temp.path()),
              temp.path() + "/drive_c/Program Files/EA GAMES/Battlefield Vietnam");
}

TEST_F(WinePrefixTest, OtherDriveLettersGoThroughDosdevices) {
    WriteHive(
        "[Software\\\\EA GAMES\\\\Battlefield Vietnam] 1\n\"GAMEDIR\"=\"d:\\\\Games\\\\BFV\"\n");
    std::filesystem::create_directories(temp.file("elsewhere/GAMES/bfv"));
    std::filesystem::create_directories(temp.file("dosdevices"));
    std::filesystem::create_symlink(temp.file("elsewhere"), temp.file("dosdevices/d:"));
    EXPECT_EQ(GameFolderInWinePrefix(temp.path()), temp.path() + "/dosdevices/d:/GAMES/bfv");
}

TEST_F(WinePrefixTest, DefaultPrefixComesFromTheEnvironment) {
    const char* saved = std::getenv("WINEPREFIX");
    std::string restore = saved ? saved : "";
    SetEnvironment("WINEPREFIX", temp.path());
    EXPECT_EQ(WineRegistry::DefaultPrefix(), temp.path());
    WriteHive(kPlainKey);
    MakeDriveC("Program Files/EA GAMES/Battlefield Vietnam");
    EXPECT_EQ(RegistryGameFolder(),
              temp.path() + "/dosdevices/c:/Program Files/EA GAMES/Battlefield Vietnam");
    UnsetEnvironment("WINEPREFIX");
    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(WineRegistry::DefaultPrefix(), std::string(home) + "/.wine");
    }
    if (saved)
        SetEnvironment("WINEPREFIX", restore);
}

TEST(PathNoCaseTest, ResolvesEachComponentAndKeepsTheRestAsSpelled) {
    TempFolder temp;
    std::filesystem::create_directories(temp.file("Mods/BfVietnam/Settings"));
    WriteFileBytes(temp.file("Mods/BfVietnam/Settings/DEFAULT.CON"), "x");
    const std::vector<std::tuple<std::string, std::string>> cases = {
        {"mods/bfvietnam/settings/default.con", "Mods/BfVietnam/Settings/DEFAULT.CON"},
        {"Mods\\BfVietnam\\Settings", "Mods/BfVietnam/Settings"},
        {"MODS/missing/Default.con", "Mods/missing/Default.con"},
        {"./mods//x", "Mods/x"},
    };
    for (const auto& [asked, found] : cases)
        EXPECT_EQ(ResolvePathNoCase(temp.path(), asked), temp.path() + "/" + found) << asked;
}

TEST(WinePathsTest, PathsWithoutDriveLetterOnlyChangeSeparators) {
    EXPECT_EQ(WindowsPathInWinePrefix("/p", "\\\\server\\share"), "//server/share");
    EXPECT_EQ(WindowsPathInWinePrefix("/p", ""), "");
}

} // namespace
