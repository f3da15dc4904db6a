#include "platform/PathRewrite.h"
#include "platform/FileOps.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The same answers on every system: what one player writes, another opens on Windows.
TEST(PathRewriteTest, PathsWindowsWouldTakeForAnotherPlace) {
    struct Row {
        const char* path;
        const char* why; // "" for a path taken as written
    };
    const Row rows[] = {
        {"C:\\Games\\BFV", ""},
        {"C:/Games/Battlefield Vietnam", ""},
        {"C:\\Games\\..\\BFV\\.", ""},
        {"\\\\server\\share\\BFV", ""},
        {"/home/player/.wine/drive_c/BFV", ""},
        {"C:\\Games\\BFV.", "the name \"BFV.\" ends in a dot, which Windows drops"},
        {"C:\\Games\\BFV \\Mods", "the name \"BFV \" ends in a space, which Windows drops"},
        {"C:\\Games\\...", "the name \"...\" ends in a dot, which Windows drops"},
        {"C:\\Games\\CON",
         "the name \"CON\" is the device CON, which Windows opens in its place in "
         "every folder"},
        {"C:\\Games\\aux.txt\\x", "the name \"aux.txt\" is the device AUX, which Windows opens in "
                                  "its place in every folder"},
        {"D:\\com\xC2\xB9\\y", "the name \"com\xC2\xB9\" is the device COM\xC2\xB9, which Windows "
                               "opens in its place in every folder"},
        {"C:\\Lpt0 .log", "the name \"Lpt0 .log\" is the device LPT0, which Windows opens in its "
                          "place in every folder"},
        {"C:", "\"C:\" is a drive without a folder, which Windows takes for the current folder of "
               "that drive"},
        {"C:Games\\BFV", "\"C:\" is followed by no separator, which makes Windows read the rest "
                         "from the current folder of that drive"},
        {"\\\\?\\C:\\Games\\BFV", "it starts with \\\\?\\, which makes Windows skip its own "
                                  "checks of the path"},
        {"//./C:", "it starts with \\\\.\\, which makes Windows open a device"},
        {"C:\\Games\\BFV:stream", "the name \"BFV:stream\" holds \":\", which Windows does not "
                                  "allow in names"},
        {"C:\\Games\\a\tb", "a name holds a control character, which Windows does not allow"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WhyWindowsWouldRewrite(row.path), row.why) << row.path;
}

// What the registry's GAMEDIR or a typed folder may hold besides a folder: each answer names
// the real cause.
TEST(PathRewriteTest, FolderPathsFromOutsideThatNameNoFolder) {
    TempFolder temp;
    WriteFileBytes(temp.file("Default.con"), "x");
    const std::string folder = JoinPath(temp.path(), "BFV");
    ASSERT_TRUE(CreateFolder(folder));
    struct Row {
        std::string path;
        std::string why;
    };
    const Row rows[] = {
        {folder, ""},
        {JoinPath(temp.path(), "missing"), ""},
        {".", "\".\" is not a full path, so it would be read from the current folder"},
        {"Games", "\"Games\" is not a full path, so it would be read from the current folder"},
        {"C:", WhyWindowsWouldRewrite("C:")},
        {"\\\\?\\C:\\Games", WhyWindowsWouldRewrite("\\\\?\\C:\\Games")},
        {folder + ".", WhyWindowsWouldRewrite(folder + ".")},
        {temp.file("Default.con"), "\"" + temp.file("Default.con") + "\" is a file, not a folder"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WhyNotAFolderPath(row.path), row.why) << row.path;
}

TEST(PathRewriteTest, NamesAndLengthsAsWindowsCountsThem) {
    for (const char* name : {"music01.ogg", "CONSOLE", "COM10", "LPT", "nul-x", ".profile", "é"})
        EXPECT_EQ(WhyWindowsWouldRewriteName(name), "") << name;
    for (const char* name : {"a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "NUL", "conin$", "COM9"})
        EXPECT_NE(WhyWindowsWouldRewriteName(name), "") << name;
    EXPECT_NE(WhyWindowsWouldRewriteName(std::string(256, 'n')), "");
    EXPECT_EQ(WindowsLength("abc"), 3u);
    EXPECT_EQ(WindowsLength("\xC3\xA9"), 1u);         // é: one unit
    EXPECT_EQ(WindowsLength("\xF0\x9F\x8E\xB5"), 2u); // a note outside the basic plane: two
}

} // namespace
