#include "common/EscapeForTerminal.h"

#include <cstdio>

namespace {

void AppendHex(std::string& out, unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    out += text;
}

bool IsC0OrDelete(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// C2 followed by 80..9F encodes U+0080..U+009F.
bool IsUtf8C1At(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

} // namespace

bool HoldsTerminalControls(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsC0OrDelete(static_cast<unsigned char>(text[i])) || IsUtf8C1At(text, i))
            return true;
    return false;
}

std::string EscapeForTerminal(std::string_view text) {
    // A Windows path prints as typed; only among escapes must a backslash be told apart.
    if (!HoldsTerminalControls(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\t')
            out += "\\t";
        else if (byte == '\n')
            out += "\\n";
        else if (byte == '\r')
            out += "\\r";
        else if (byte == '\\')
            out += "\\\\";
        else if (IsC0OrDelete(byte))
            AppendHex(out, byte);
        else if (IsUtf8C1At(text, i)) {
            AppendHex(out, byte);
            AppendHex(out, static_cast<unsigned char>(text[++i]));
        } else
            out += text[i];
    }
    return out;
}
