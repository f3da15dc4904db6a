#pragma once
#include <string>
#include <string_view>

// Readable names for the cases of parameterised tests, in place of GoogleTest's numbers.

// Letters and digits kept, every run of other characters turned into one underscore:
// "--build p.velkp" gives "build_p_velkp". A text without either gives "Empty".
inline std::string TestName(std::string_view text) {
    std::string name;
    bool gap = false;
    for (char c : text) {
        const bool kept =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!kept) {
            gap = true;
            continue;
        }
        if (gap && !name.empty())
            name += '_';
        name += c;
        gap = false;
    }
    return name.empty() ? "Empty" : name;
}

// A number as a name part; a minus sign, which names cannot hold, becomes "minus".
inline std::string NumberName(long long number) {
    return number < 0 ? "minus" + std::to_string(-number) : std::to_string(number);
}
