#include "import/SongFileName.h"

#include <cstring>

namespace {

constexpr std::size_t kMaxStemBytes = 100;

bool Forbidden(unsigned char c) {
    return c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr;
}

// Cuts at most `limit` bytes without leaving half of a UTF-8 sequence behind.
std::string CutUtf8(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string Stripped(std::string name) {
    auto first = name.find_first_not_of(". ");
    name.erase(0, first == std::string::npos ? name.size() : first);
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name;
}

} // namespace

std::string SafeFileStem(const std::string& title) {
    std::string name;
    for (char c : title)
        name += Forbidden(static_cast<unsigned char>(c)) ? '_' : c;
    name = Stripped(CutUtf8(Stripped(name), kMaxStemBytes));
    return name.empty() ? "song" : name;
}

std::string NumberedWavName(const std::string& stem, int attempt) {
    return attempt <= 1 ? stem + ".wav" : stem + " (" + std::to_string(attempt) + ").wav";
}
