#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace {

struct PercentCase {
    int position, lower, upper, percent;
};

class PercentOfTest : public testing::TestWithParam<PercentCase> {};

TEST_P(PercentOfTest, RoundsHalvesUpWithoutClampingOrOverflow) {
    const PercentCase& c = GetParam();
    EXPECT_EQ(ConsoleProgress::PercentOf(c.position, c.lower, c.upper), c.percent);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PercentOfTest,
    testing::Values(PercentCase{18, 0, 36, 50}, PercentCase{1, 0, 36, 3}, PercentCase{0, 0, 36, 0},
                    PercentCase{36, 0, 36, 100}, PercentCase{72, 0, 36, 200},
                    PercentCase{-18, 0, 36, -49}, // -49.5 cut toward zero
                    PercentCase{15, 10, 20, 50}, PercentCase{5, 5, 5, 0}, PercentCase{7, 10, 5, 0},
                    PercentCase{INT_MAX, 0, 1, INT_MAX}, PercentCase{INT_MIN, 0, 1, INT_MIN},
                    PercentCase{INT_MAX, INT_MIN, INT_MAX, 100}),
    [](const auto& tested) {
        const PercentCase& c = tested.param;
        return NumberName(c.position) + "_of_" + NumberName(c.lower) + "_to_" + NumberName(c.upper);
    });

TEST(ConsoleProgress, WritesOneLinePerChangeSeenAtAPump) {
    std::ostringstream out;
    ConsoleProgress progress(out);
    ASSERT_TRUE(progress.Open("Building...Please Wait...", false));
    progress.SetRange(0, 36, 1);
    progress.SetPosition(1);
    progress.SetText("Encoding music01.ogg");
    EXPECT_FALSE(progress.Pump(true));
    EXPECT_FALSE(progress.Pump(true)); // nothing changed: no line
    EXPECT_EQ(progress.SetPosition(18), 1);
    progress.Pump(true);
    progress.SetPosition(36);
    progress.SetText("Done");
    progress.Pump(false);
    progress.Close();
    EXPECT_EQ(out.str(), "[  3%] Encoding music01.ogg\n[ 50%] Encoding music01.ogg\n[100%] Done\n");
}

TEST(ConsoleProgress, KeepsAtMost511BytesOfText) {
    std::ostringstream out;
    ConsoleProgress progress(out);
    progress.SetText(std::string(600, 'x'));
    progress.Pump(false);
    EXPECT_EQ(out.str(), "[  0%] " + std::string(511, 'x') + "\n");
}

TEST(ConsolePrompts, MessagesGoOutWhole) {
    std::ostringstream out;
    ConsolePrompts prompts(out);
    prompts.Message("Music pack built.");
    prompts.Message("Unable to open hyperlink:\n\nThe DDE transaction failed.");
    // Outside text in a message cannot steer the terminal; escaped text is not escaped twice.
    prompts.Message("Folder /g/\x1b[2J\ta\\b\rX");
    prompts.Message("entries: b\\x1B[2J.wav.");
    EXPECT_EQ(out.str(), "Music pack built.\nUnable to open hyperlink:\n\nThe DDE transaction "
                         "failed.\nFolder /g/\\x1B[2J\\ta\\\\b\\rX\nentries: b\\x1B[2J.wav.\n");
}

// The cause behind a message is printed on the line after it only with --verbose.
TEST(ConsolePrompts, DetailsFollowAMessageOnlyWhenVerbose) {
    std::ostringstream out;
    ConsolePrompts prompts(out);
    const std::string cause = "rename on /g/music.rfa: busy (16)";
    prompts.MessageWithDetails("Unable to move file - patch failed.", cause);
    prompts.SetVerbose(true);
    prompts.MessageWithDetails("Unable to move file - patch failed.", cause);
    prompts.MessageWithDetails("No cause known.", "");
    prompts.MessageWithDetails("Error.", "unlink on /g/\x1b[2J: busy (16)");
    EXPECT_EQ(out.str(), "Unable to move file - patch failed.\n"
                         "Unable to move file - patch failed.\n" +
                             cause +
                             "\nNo cause known.\n"
                             "Error.\nunlink on /g/\\x1B[2J: busy (16)\n");
}

TEST(ConsolePrompts, DialogsAnswerOnlyWhatTheCommandLineGave) {
    std::ostringstream out;
    ConsolePrompts prompts(out);
    std::string path = "untouched";
    EXPECT_FALSE(prompts.OpenFile({"Pack (*.velk)|*.velk||", "velk", ""}, path));
    EXPECT_FALSE(prompts.BrowseFolder("Game folder", path));
    EXPECT_EQ(path, "untouched");
    prompts.AnswerNextDialog("/tmp/out.velk");
    prompts.AnswerNextDialog("/games/bfv");
    EXPECT_TRUE(prompts.SaveFile({}, path));
    EXPECT_EQ(path, "/tmp/out.velk");
    EXPECT_TRUE(prompts.BrowseFolder("Game folder", path));
    EXPECT_EQ(path, "/games/bfv");
    EXPECT_FALSE(prompts.SaveFile({}, path));
    EXPECT_EQ(out.str(), "");
}

// A question on a terminal: typed lines until one starts with a choice's letter.
struct QuestionCase {
    Prompts::Buttons buttons;
    std::string typed;
    Prompts::Answer answer;
    std::string choices; // the line of choices, as often as it was shown
};

TEST(ConsolePrompts, QuestionsAreAnsweredOnATerminalOnly) {
    using Buttons = Prompts::Buttons;
    using Answer = Prompts::Answer;
    const std::string retry = "[R]etry or [C]ancel? ", yes = "[Y]es or [N]o? ",
                      three = "[Y]es, [N]o or [C]ancel? ";
    const QuestionCase cases[] = {
        {Buttons::RetryCancel, "r\n", Answer::Retry, retry},
        {Buttons::RetryCancel, "maybe\n\n  C\n", Answer::Cancel, retry + retry + retry},
        {Buttons::RetryCancel, "", Answer::Cancel, retry + "\n"},
        {Buttons::YesNo, "Yes\n", Answer::Yes, yes},
        {Buttons::YesNo, "", Answer::No, yes + "\n"},
        {Buttons::YesNoCancel, "no\n", Answer::No, three},
        {Buttons::YesNoCancel, "x\ny\n", Answer::Yes, three + three},
        {Buttons::YesNoCancel, "", Answer::Cancel, three + "\n"},
    };
    for (const QuestionCase& test : cases) {
        SCOPED_TRACE(test.typed);
        std::ostringstream out;
        std::istringstream typed(test.typed);
        ConsolePrompts prompts(out, &typed);
        EXPECT_TRUE(prompts.CanAsk());
        EXPECT_EQ(prompts.Ask("Go on?", test.buttons), test.answer);
        EXPECT_EQ(out.str(), "Go on?\n" + test.choices);
    }
    std::ostringstream out;
    ConsolePrompts noTerminal(out);
    EXPECT_FALSE(noTerminal.CanAsk());
    EXPECT_EQ(noTerminal.Ask("Go on?", Buttons::YesNoCancel), Answer::Cancel);
    EXPECT_EQ(noTerminal.AskToSave("Save?"), Prompts::SaveChoice::Cancel);
    EXPECT_EQ(out.str(), "");
}

} // namespace
