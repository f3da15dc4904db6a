#include "common/CodePage.h"

#include <gtest/gtest.h>

namespace {

struct TitleCase {
    const char* name;
    std::string utf8;
    std::string bytes;
    bool changed;
};

const TitleCase kTitleCases[] = {
    {"empty", "", "", false},
    {"ascii", "Song 01 \"live\"", "Song 01 \"live\"", false},
    {"e acute", "Caf\xC3\xA9", "Caf\xE9", false},
    {"o diaeresis", "Mot\xC3\xB6rhead", "Mot\xF6rhead", false},
    {"euro sign at 80", "\xE2\x82\xAC", "\x80", false},
    {"undefined byte keeps its value", "\xC2\x81", "\x81", false},
    {"greek", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", "??????", true},
    {"latin letter outside the page", "Dvo\xC5\x99\xC3\xA1k", "Dvor\xE1k", true},
    {"emoji", "Rock \xF0\x9F\x8E\xB8", "Rock ?", true},
    {"best fit: greek mu is the micro sign", "5 \xCE\xBCs", "5 \xB5s", true},
    {"best fit: greek beta is the sharp s", "\xCE\xB2" "eta", "\xDF" "eta", true},
    {"best fit: angstrom sign", "1 \xE2\x84\xAB", "1 \xC5", true},
    {"best fit: minus and division slash", "\xE2\x88\x92" "1\xE2\x88\x95" "2", "-1/2", true},
    {"malformed utf-8",
     "A\xE2"
     "A\xFF",
     "A?A?", true},
    {"cut at the end", "A\xE2\x82", "A?", true},
};

TEST(CodePage, TitlesCrossBetweenUnicodeAndWindows1252) {
    for (const TitleCase& test : kTitleCases) {
        SCOPED_TRACE(test.name);
        const CodePage::Converted converted = CodePage::FromUtf8(test.utf8);
        EXPECT_EQ(converted.bytes, test.bytes);
        EXPECT_EQ(converted.changed, test.changed);
        if (!test.changed) {
            EXPECT_EQ(CodePage::ToUtf8(test.bytes), test.utf8);
        }
    }
}

TEST(CodePage, EveryByteReadsBackUnchanged) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const CodePage::Converted back = CodePage::FromUtf8(CodePage::ToUtf8(all));
    EXPECT_EQ(back.bytes, all);
    EXPECT_FALSE(back.changed);
}

} // namespace
