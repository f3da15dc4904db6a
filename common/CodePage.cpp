#include "common/CodePage.h"

#include "common/AppendUtf8.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Windows-1252 at 80..9F; 0 marks the five bytes the code page leaves undefined, which read
// as the code points of the same value, as Windows reads them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t CodePointOfByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0)
        return kHighControls[byte - 0x80];
    return byte;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Takes one UTF-8 sequence off the front of input: its code point, or kInvalid for a
// malformed, overlong or cut sequence (which then consumes its lead and the continuations).
char32_t TakeCodePoint(std::string_view& input) {
    const auto lead = static_cast<unsigned char>(input.front());
    const std::size_t expected = lead < 0x80    ? 1
                                 : lead >= 0xF0 ? 4
                                 : lead >= 0xE0 ? 3
                                 : lead >= 0xC0 ? 2
                                                : 0;
    std::size_t length = 1;
    while (expected > 1 && length < expected && length < input.size() &&
           IsContinuation(static_cast<unsigned char>(input[length])))
        ++length;
    const std::string_view sequence = input.substr(0, length);
    input.remove_prefix(length);
    if (expected == 0 || length != expected || lead > 0xF4)
        return kInvalid;
    if (expected == 1)
        return lead;
    char32_t code = lead & (0x7F >> expected);
    for (std::size_t index = 1; index < length; ++index)
        code = (code << 6) | (static_cast<unsigned char>(sequence[index]) & 0x3F);
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[expected] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kInvalid;
    return code;
}

// The byte of a code point the code page holds, as Windows maps it.
std::optional<char> ExactByte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (std::size_t index = 0; index < kHighControls.size(); ++index) {
        const char16_t mapped = kHighControls[index];
        if ((mapped != 0 && mapped == code) || (mapped == 0 && code == 0x80 + index))
            return static_cast<char>(0x80 + index);
    }
    return std::nullopt;
}

// Characters the code page lacks whose best fit it has, as Windows' own best-fit table for
// the code page maps them (the micro sign for the Greek mu, the sharp s for the Greek beta).
struct Fit {
    char32_t code;
    std::string_view text;
};
constexpr Fit kBestFits[] = {
    {0x03BC, "\xB5"},
    {0x03B2, "\xDF"},
    {0x212B, "\xC5"},
    {0x2212, "-"},
    {0x2215, "/"},
    {0x2219, "\xB7"},
    {0x2044, "/"},
    // Dashes, quotes and spaces the code page has in another form.
    {0x2010, "-"},
    {0x2011, "-"},
    {0x2012, "-"},
    {0x2015, "-"},
    {0x201B, "'"},
    {0x201F, "\""},
    {0x2032, "'"},
    {0x2033, "\""},
    {0x2024, "."},
    {0x202F, " "},
    {0x205F, " "},
    {0x3000, " "},
    {0x2190, "<-"},
    {0x2192, "->"},
    {0x0132, "IJ"},
    {0x0133, "ij"},
    {0x0149, "'n"},
    {0x0218, "S"},
    {0x0219, "s"},
    {0x021A, "T"},
    {0x021B, "t"},
    {0x01A0, "O"},
    {0x01A1, "o"},
    {0x01AF, "U"},
    {0x01B0, "u"},
};

// Latin Extended-A (U+0100 to U+017F) without its accents; '?' where the code page has the
// letter itself or the best-fit table above answers.
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlLlLlNnNnNn?NnOoOoOo??"
    "RrRrRrSsSsSs??TtTtTtUuUuUuUuUuUuWwYy?ZzZz??s";
static_assert(kLatinExtendedA.size() == 0x80);

// The Vietnamese letters of Latin Extended Additional (U+1EA0 to U+1EF9), by base letter.
constexpr struct {
    char32_t last;
    char upper;
} kVietnamese[] = {{0x1EB7, 'A'}, {0x1EC7, 'E'}, {0x1ECB, 'I'},
                   {0x1EE3, 'O'}, {0x1EF1, 'U'}, {0x1EF9, 'Y'}};

// The closest Western text for a character the code page lacks; nothing when there is none.
std::optional<std::string> Transliteration(char32_t code) {
    for (const Fit& fit : kBestFits)
        if (fit.code == code)
            return std::string(fit.text);
    const bool lower = (code & 1) != 0;
    if (code >= 0x100 && code < 0x180 && kLatinExtendedA[code - 0x100] != '?')
        return std::string(1, kLatinExtendedA[code - 0x100]);
    if (code >= 0x1EA0 && code <= 0x1EF9) {
        for (const auto& range : kVietnamese)
            if (code <= range.last)
                return std::string(1, lower ? static_cast<char>(range.upper + ('a' - 'A'))
                                            : range.upper);
    }
    if (code >= 0xFF01 && code <= 0xFF5E) // fullwidth forms of ASCII
        return std::string(1, static_cast<char>(code - 0xFEE0));
    if (code >= 0x2000 && code <= 0x200A)
        return std::string(" ");
    if ((code >= 0x200B && code <= 0x200D) || code == 0x2060 || code == 0xFEFF)
        return std::string();
    return std::nullopt;
}

} // namespace

CodePage::Converted CodePage::FromUtf8(std::string_view utf8) {
    Converted result;
    std::string_view rest = utf8;
    while (!rest.empty()) {
        const char32_t code = TakeCodePoint(rest);
        if (code == kInvalid) {
            result.bytes += '?';
        } else if (const auto byte = ExactByte(code)) {
            result.bytes += *byte;
        } else if (const auto text = Transliteration(code)) {
            result.bytes += *text;
        } else {
            result.bytes += '?';
        }
    }
    result.changed = ToUtf8(result.bytes) != utf8;
    return result;
}

std::string CodePage::ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes)
        AppendUtf8(text, CodePointOfByte(static_cast<unsigned char>(byte)));
    return text;
}

bool CodePage::IsUtf8(std::string_view text) {
    while (!text.empty())
        if (TakeCodePoint(text) == kInvalid)
            return false;
    return true;
}
