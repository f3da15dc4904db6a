#include "widgets/HyperlinkOpening.h"

#include <gtest/gtest.h>

namespace {

const std::string address = "http://www.example.org/music";

struct CommandCase {
    const char* name;
    const char* command;
    const char* expected;
};

class BrowserCommandLineTest : public testing::TestWithParam<CommandCase> {};

TEST_P(BrowserCommandLineTest, DropsPlaceholderAndAppendsAddress) {
    auto line = BrowserCommandLine(GetParam().command, address);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BrowserCommandLineTest,
    testing::Values(
        CommandCase{"QuotedPlaceholderWithOptions",
                    "\"C:\\Program Files\\Web\\web.exe\" -nohome \"%1\" -new-window",
                    "\"C:\\Program Files\\Web\\web.exe\" -nohome  http://www.example.org/music"},
        CommandCase{"BarePlaceholder", "web --url=%1 --tab",
                    "web --url= http://www.example.org/music"},
        CommandCase{"QuotedFoundBeforeBare", "web %1 \"%1\"",
                    "web %1  http://www.example.org/music"},
        CommandCase{"NoPlaceholder", "/usr/bin/web -private",
                    "/usr/bin/web -private http://www.example.org/music"},
        CommandCase{"Empty", "", " http://www.example.org/music"}),
    [](const testing::TestParamInfo<CommandCase>& caseInfo) {
        return std::string(caseInfo.param.name);
    });

TEST(BrowserCommandLine, RefusesWhatWouldNotFitTheBuffer) {
    // Command, space and address must leave room for the terminator in 520 bytes.
    std::string command = "web";
    std::string fits(browserCommandLineBytes - 1 - command.size() - 1, 'a');
    auto line = BrowserCommandLine(command, fits);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->size(), browserCommandLineBytes - 1);
    EXPECT_FALSE(BrowserCommandLine(command, fits + "a").has_value());
    EXPECT_FALSE(BrowserCommandLine(std::string(600, 'w'), "x").has_value());
    // What is cut off does not count against the buffer.
    EXPECT_TRUE(BrowserCommandLine("web \"%1\"" + std::string(600, 'o'), "x").has_value());
}

TEST(HyperlinkErrorMessage, ListedAndUnlistedCodes) {
    EXPECT_EQ(HyperlinkErrorMessage(31), "Unable to open hyperlink:\n\n"
                                         "There is no application associated\n"
                                         "with the given filename extension.");
    EXPECT_EQ(HyperlinkErrorMessage(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
    EXPECT_EQ(HyperlinkErrorText(0), "The operating system is out\nof memory or resources.");
    EXPECT_EQ(HyperlinkErrorText(26), "A sharing violation occurred. ");
    EXPECT_EQ(HyperlinkErrorText(32), "The specified dynamic-link library was not found.");
    EXPECT_EQ(HyperlinkErrorText(33), "Unknown Error (33) occurred.");
    EXPECT_EQ(HyperlinkErrorText(-1), "Unknown Error (-1) occurred.");
}

} // namespace
