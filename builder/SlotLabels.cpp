#include "builder/SlotLabels.h"

#include <charconv>
#include <cstdio>

std::string NumberLabel(int position) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", position);
    return text;
}

std::string LetterLabel(int position) {
    return std::string(1, static_cast<char>('A' + position - 1));
}

std::string LengthText(float seconds) {
    // to_chars never looks at the locale, unlike printf's "%.1f".
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, static_cast<double>(seconds),
                                std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}
