#include "gamefolders/WineRegistry.h"

#include "common/AppendUtf8.h"
#include "platform/InputFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// No real hive comes near these; past either the hive is not read at all.
constexpr std::uint64_t kMaxHiveBytes = 256ull << 20;
constexpr std::size_t kMaxHiveLineBytes = 1u << 20;

// The lines of a hive file, read from a regular file only. Opening does not wait for a
// writer (a named pipe) and a device, folder or oversized file is refused.
class HiveLines {
public:
    explicit HiveLines(const std::string& path) {
        if (file_.Open(path) && file_.Size() > kMaxHiveBytes)
            file_.Close();
    }

    bool opened() const { return file_.IsOpen(); }

    // The next line without its line feed; false at the end, on a read error or past a cap.
    bool Next(std::string& line) {
        line.clear();
        for (;;) {
            if (start_ == filled_ && !Fill())
                return !line.empty() && !overCap_;
            const std::size_t end = buffer_.find('\n', start_);
            const std::size_t stop = end == std::string::npos ? filled_ : end;
            line.append(buffer_, start_, stop - start_);
            start_ = end == std::string::npos ? filled_ : end + 1;
            if (line.size() > kMaxHiveLineBytes) {
                overCap_ = true;
                return false;
            }
            if (end != std::string::npos)
                return true;
        }
    }

private:
    bool Fill() {
        if (!file_.IsOpen())
            return false;
        buffer_.resize(64 * 1024);
        const std::int64_t got = file_.Read(buffer_.data(), buffer_.size());
        start_ = 0;
        filled_ = got > 0 ? static_cast<std::size_t>(got) : 0;
        total_ += filled_;
        // The file may have grown since it was measured.
        if (total_ > kMaxHiveBytes)
            overCap_ = true;
        return filled_ > 0 && !overCap_;
    }

    InputFile file_;
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t total_ = 0;
    bool overCap_ = false;
};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Up to four hex digits at text[i] (a UTF-16 code unit as Wine writes it); advances i past
// them. Zero digits read means there was no number.
int ReadHexUnit(const std::string& text, std::size_t& i, unsigned& value) {
    value = 0;
    int digits = 0;
    while (digits < 4 && i < text.size() && HexDigit(text[i]) >= 0) {
        value = value * 16 + static_cast<unsigned>(HexDigit(text[i++]));
        ++digits;
    }
    return digits;
}

// Wine writes a character outside the basic plane as two escaped surrogates: join them.
unsigned JoinSurrogates(const std::string& text, std::size_t& i, unsigned high) {
    if (high < 0xD800 || high > 0xDBFF || text.compare(i, 2, "\\x") != 0)
        return high;
    std::size_t next = i + 2;
    unsigned low = 0;
    if (ReadHexUnit(text, next, low) == 0 || low < 0xDC00 || low > 0xDFFF)
        return high;
    i = next;
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Decodes one backslash escape starting after the backslash at text[i]; advances i past it.
void DecodeEscape(const std::string& text, std::size_t& i, std::string& out) {
    char c = text[i++];
    switch (c) {
    case 'n':
        out += '\n';
        return;
    case 'r':
        out += '\r';
        return;
    case 't':
        out += '\t';
        return;
    case 'a':
        out += '\a';
        return;
    case 'b':
        out += '\b';
        return;
    case 'e':
        out += '\x1b';
        return;
    case 'f':
        out += '\f';
        return;
    case 'v':
        out += '\v';
        return;
    case 'x': {
        unsigned value = 0;
        if (ReadHexUnit(text, i, value) == 0)
            out += 'x';
        else
            AppendUtf8(out, JoinSurrogates(text, i, value));
        return;
    }
    default:
        if (c >= '0' && c <= '7') {
            unsigned value = static_cast<unsigned>(c - '0');
            for (int digits = 1; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
                 ++digits)
                value = value * 8 + static_cast<unsigned>(text[i++] - '0');
            AppendUtf8(out, value);
            return;
        }
        out += c; // \\ and \" and anything unknown stand for the character itself
    }
}

// Reads a quoted string starting at text[i] == '"'. On success i points past the closing quote.
bool ReadQuoted(const std::string& text, std::size_t& i, std::string& out) {
    if (i >= text.size() || text[i] != '"')
        return false;
    ++i;
    out.clear();
    while (i < text.size()) {
        char c = text[i++];
        if (c == '"')
            return true;
        if (c == '\\' && i < text.size())
            DecodeEscape(text, i, out);
        else
            out += c;
    }
    return false;
}

// "[Key\\Name] 123456" -> "Key\Name". Returns false for lines that are not a section header.
bool ParseSection(const std::string& line, std::string& key) {
    if (line.empty() || line[0] != '[')
        return false;
    key.clear();
    for (std::size_t i = 1; i < line.size();) {
        char c = line[i++];
        if (c == ']')
            return true;
        if (c == '\\' && i < line.size())
            DecodeEscape(line, i, key);
        else
            key += c;
    }
    return false;
}

// A value line: "Name"=data or @=data. Yields the name and the text after '='.
bool ParseValueLine(const std::string& line, std::string& name, std::string& data) {
    std::size_t i = 0;
    if (line.empty())
        return false;
    if (line[0] == '@') {
        name.clear();
        i = 1;
    } else if (!ReadQuoted(line, i, name)) {
        return false;
    }
    if (i >= line.size() || line[i] != '=')
        return false;
    data = line.substr(i + 1);
    return true;
}

// The string held by a value's data text, or nothing for other value types.
std::optional<std::string> StringData(const std::string& data) {
    std::size_t i = 0;
    if (data.rfind("str(2):", 0) == 0)
        i = 7;
    std::string text;
    if (!ReadQuoted(data, i, text))
        return std::nullopt;
    return text;
}

std::vector<std::string> KeysToTry(const std::string& key) {
    std::string trimmed = key;
    while (!trimmed.empty() && trimmed.front() == '\\')
        trimmed.erase(trimmed.begin());
    const std::string software = "software\\";
    std::vector<std::string> keys;
    if (trimmed.size() > software.size() &&
        EqualNoCase(trimmed.substr(0, software.size()), software))
        keys.push_back(trimmed.substr(0, software.size()) + "Wow6432Node\\" +
                       trimmed.substr(software.size()));
    keys.push_back(trimmed);
    return keys;
}

} // namespace

WineRegistry::WineRegistry(std::string prefix) : prefix_(std::move(prefix)) {}

std::string WineRegistry::DefaultPrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix)
        return prefix;
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.wine";
    return {};
}

std::optional<std::string> WineRegistry::ReadValue(RegistryRoot root, const std::string& key,
                                                   const std::string& valueName) const {
    if (prefix_.empty())
        return std::nullopt;
    std::string hive = prefix_ + (root == RegistryRoot::LocalMachine ? "/system.reg" : "/user.reg");
    for (const auto& candidate : KeysToTry(key))
        if (auto value = ReadFromHive(hive, candidate, valueName))
            return value;
    return std::nullopt;
}

std::optional<std::string> WineRegistry::ReadFromHive(const std::string& hivePath,
                                                      const std::string& key,
                                                      const std::string& valueName) const {
    HiveLines hive(hivePath);
    if (!hive.opened())
        return std::nullopt;
    bool inKey = false;
    std::optional<std::string> found;
    std::string line, section, name, data;
    while (!found && hive.Next(line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            // A malformed header still ends the section before it.
            inKey = ParseSection(line, section) && EqualNoCase(section, key);
            continue;
        }
        if (inKey && ParseValueLine(line, name, data) && EqualNoCase(name, valueName))
            found = StringData(data);
    }
    return found;
}
