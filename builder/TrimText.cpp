#include "builder/TrimText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

constexpr long long kMaxTenths = 999999; // 99,999.9 seconds

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits only, at least one and at most `most`.
std::optional<long long> Digits(const std::string& text, std::size_t most) {
    if (text.empty() || text.size() > most)
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string Trimmed(const std::string& text) {
    const char* const spaces = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

// "SS" or "SS.d" as tenths; seconds may have up to `most` digits.
std::optional<long long> SecondsInTenths(const std::string& text, std::size_t most) {
    const auto mark = text.find_first_of(".,");
    const auto whole = Digits(text.substr(0, mark), most);
    if (!whole)
        return std::nullopt;
    if (mark == std::string::npos)
        return *whole * 10;
    const auto tenth = Digits(text.substr(mark + 1), 1);
    if (!tenth)
        return std::nullopt;
    return *whole * 10 + *tenth;
}

long long TenthsDown(double seconds) {
    // A hair above the tenth, so that 187.6 held as 187.59999... still reads 187.6.
    return seconds > 0 ? static_cast<long long>(std::floor(seconds * 10 + 1e-6)) : 0;
}

} // namespace

std::optional<double> ParseSeconds(const std::string& typed) {
    const std::string text = Trimmed(typed);
    std::optional<long long> tenths;
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        tenths = SecondsInTenths(text, 5);
    } else {
        const auto minutes = Digits(text.substr(0, colon), 4);
        const std::string rest = text.substr(colon + 1);
        const auto seconds = rest.size() >= 2 && IsDigit(rest[0]) && IsDigit(rest[1]) &&
                                     (rest.size() == 2 || rest[2] == '.' || rest[2] == ',')
                                 ? SecondsInTenths(rest, 2)
                                 : std::nullopt;
        if (minutes && seconds && *seconds < 600)
            tenths = *minutes * 600 + *seconds;
    }
    if (!tenths || *tenths > kMaxTenths)
        return std::nullopt;
    return static_cast<double>(*tenths) / 10.0;
}

bool SaysTheEnd(const std::string& typed) {
    std::string text = Trimmed(typed);
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text == "end";
}

std::string SecondsText(double seconds) {
    // to_chars never looks at the locale, unlike printf's "%.1f".
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}

std::string SecondsTextDown(double seconds) {
    return SecondsText(static_cast<double>(TenthsDown(seconds)) / 10.0);
}

std::string ClockText(double seconds) {
    const long long tenths = TenthsDown(seconds);
    const long long second = tenths / 10 % 60;
    return std::to_string(tenths / 600) + (second < 10 ? ":0" : ":") + std::to_string(second) +
           "." + std::to_string(tenths % 10);
}
