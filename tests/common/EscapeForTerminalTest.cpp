#include "common/EscapeForTerminal.h"

#include <gtest/gtest.h>

TEST(EscapeForTerminal, ControlCharactersCannotReachTheTerminal) {
    const std::pair<std::string, std::string> cases[] = {
        {"velk/music01.ogg", "velk/music01.ogg"},
        {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
        {std::string("nul\0esc\x1b[2J\x7f", 12), "nul\\x00esc\\x1B[2J\\x7F"},
        {"C:\\Games", "C:\\Games"},                 // a path prints as it is
        {"C:\\a\tb", "C:\\\\a\\tb"},             // among escapes a backslash is one too
        {"csi \xC2\x9B"
         "31m",
         "csi \\xC2\\x9B31m"},                                      // C1 control in UTF-8
        {"caf\xC3\xA9 \xE9 \xC2\xA0", "caf\xC3\xA9 \xE9 \xC2\xA0"}, // text passes unchanged
        {"cut \xC2", "cut \xC2"}};
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(EscapeForTerminal(text), shown);
}
