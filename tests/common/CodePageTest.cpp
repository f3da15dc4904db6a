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
    {"best fit: greek beta is the sharp s",
     "\xCE\xB2"
     "eta",
     "\xDF"
     "eta",
     true},
    {"best fit: angstrom sign", "1 \xE2\x84\xAB", "1 \xC5", true},
    {"best fit: minus and division slash",
     "\xE2\x88\x92"
     "1\xE2\x88\x95"
     "2",
     "-1/2", true},
    // Common characters from outside the code page: the same bytes on every system.
    {"polish",
     "\xC5\x81\xC3\xB3"
     "d\xC5\xBA \xC5\x9Bpiewa",
     "L\xF3"
     "dz spiewa",
     true},
    {"hungarian double acute", "Gy\xC5\x91r \xC5\xB1r", "Gyor ur", true},
    {"turkish dotless i and g breve",
     "I\xC4\x9F"
     "d\xC4\xB1r",
     "Igdir", true},
    {"romanian comma below",
     "Bra\xC8\x99ov \xC8\x9B"
     "ar\xC4\x83",
     "Brasov tara", true},
    {"vietnamese",
     "Vi\xE1\xBB\x87t Nam \xC4\x90\xE1\xBB\xA9"
     "c",
     "Viet Nam Duc", true},
    {"vietnamese horn letters", "\xC6\xA0\xC6\xA1\xC6\xAF\xC6\xB0", "OoUu", true},
    {"ligature ij and apostrophe n", "\xC4\xB2s \xC5\x89", "IJs 'n", true},
    {"dashes and primes",
     "a\xE2\x80\x90"
     "b\xE2\x80\x91"
     "c\xE2\x80\xB2",
     "a-b-c'", true},
    {"spaces",
     "a\xE2\x80\x83"
     "b\xE3\x80\x80"
     "c\xE2\x80\x8B"
     "d",
     "a b cd", true},
    {"fullwidth", "\xEF\xBC\xA1\xEF\xBC\x91", "A1", true},
    {"arrows", "\xE2\x86\x90\xE2\x86\x92", "<-->", true},
    {"cyrillic", "\xD0\x9C\xD0\xB8\xD1\x80", "???", true},
    {"cjk", "\xE6\x9D\xB1\xE4\xBA\xAC", "??", true},
    {"code page letters stay", "\xC5\x92\xC5\xA0\xC5\xBD\xC5\xB8\xC6\x92\xE2\x84\xA2",
     "\x8C\x8A\x8E\x9F\x83\x99", false},
    {"overlong and surrogate", "\xC0\xAF\xED\xA0\x80", "??", true},
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
