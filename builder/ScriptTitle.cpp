#include "builder/ScriptTitle.h"

std::string ScriptTitle(std::string_view title) {
    std::string safe(title);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"')
            c = '\'';
        else if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return safe;
}
