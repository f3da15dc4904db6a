// The arguments of Palisor restarted as administrator are one command line; Windows splits it
// again with CommandLineToArgvW's rules, which must give back exactly the same arguments.
#include "platform/WindowsCommandLine.h"
#include "platform/windows/WindowsText.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> SplitAsWindowsDoes(const std::string& line) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(Wide("palisor.exe " + line).c_str(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.emplace_back(words[i]);
    LocalFree(words);
    return arguments;
}

TEST(WindowsCommandLineTest, QuotesSoThatWindowsSplitsBackTheSameArguments) {
    struct Row {
        std::vector<std::string> arguments;
        std::string line;
    };
    const Row rows[] = {
        {{"--game-folder", "C:\\Program Files (x86)\\EA GAMES\\Battlefield Vietnam",
          "C:\\Users\\Zo\xC3\xAB\\Music\\Summer Songs.velk"},
         "--game-folder \"C:\\Program Files (x86)\\EA GAMES\\Battlefield Vietnam\" "
         "\"C:\\Users\\Zo\xC3\xAB\\Music\\Summer Songs.velk\""},
        {{"D:\\Games\\BfV\\", "plain.velk"}, "D:\\Games\\BfV\\ plain.velk"},
        // A trailing backslash inside quotes is doubled, or it would escape the quote.
        {{"D:\\My Games\\BfV\\"}, "\"D:\\My Games\\BfV\\\\\""},
        {{"say \"hi\"", "a\\\"b", "tab\there"}, "\"say \\\"hi\\\"\" \"a\\\\\\\"b\" \"tab\there\""},
        {{"", "x"}, "\"\" x"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WindowsCommandLine(row.arguments), row.line);
        std::vector<std::wstring> expected;
        for (const std::string& argument : row.arguments)
            expected.push_back(Wide(argument));
        EXPECT_EQ(SplitAsWindowsDoes(row.line), expected) << row.line;
    }
}

} // namespace
