#include "gamefolders/SteamLibraries.h"

#include "gamefolders/HomeFolderRules.h"

#include <optional>

namespace {

constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxLibraries = 256;

// One token of Valve's KeyValues text: a string (quoted or bare), or a brace.
struct Token {
    enum Kind { String, Open, Close, End, Bad } kind;
    std::string text;
};

class VdfTokens {
public:
    explicit VdfTokens(const std::string& text) : text_(text) {}

    Token Next() {
        SkipBlanksAndComments();
        if (pos_ >= text_.size())
            return {Token::End, {}};
        char c = text_[pos_];
        if (c == '{' || c == '}') {
            ++pos_;
            return {c == '{' ? Token::Open : Token::Close, {}};
        }
        if (c == '"')
            return Quoted();
        return Bare();
    }

private:
    void SkipBlanksAndComments() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++pos_;
            } else if (text_.compare(pos_, 2, "//") == 0) {
                std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string::npos ? text_.size() : end;
            } else {
                return;
            }
        }
    }

    Token Quoted() {
        std::string out;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return {Token::String, out};
            }
            if (c == '\\' && pos_ + 1 < text_.size())
                out += Unescape(text_[++pos_]);
            else
                out += c;
        }
        return {Token::Bad, {}};
    }

    static char Unescape(char c) {
        switch (c) {
        case 'n':
            return '\n';
        case 't':
            return '\t';
        default:
            return c; // \\ and \" stand for the character itself
        }
    }

    // A bare word, or a [$CONDITION] tag, which is read and dropped like a word.
    Token Bare() {
        std::size_t start = pos_;
        while (pos_ < text_.size() &&
               std::string(" \t\r\n{}\"").find(text_[pos_]) == std::string::npos)
            ++pos_;
        return {Token::String, text_.substr(start, pos_ - start)};
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

bool EqualNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x + 32);
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}

bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsConditionTag(const std::string& text) {
    return !text.empty() && text.front() == '[';
}

} // namespace

std::vector<std::string> SteamLibraries::PathsInVdf(const std::string& vdf) {
    std::vector<std::string> paths;
    VdfTokens tokens(vdf);
    int depth = 0;
    std::optional<std::string> key;
    while (paths.size() < kMaxLibraries) {
        Token token = tokens.Next();
        if (token.kind == Token::End || token.kind == Token::Bad)
            break;
        if (token.kind == Token::Open) {
            if (!key || ++depth > kMaxDepth)
                break;
            key.reset();
        } else if (token.kind == Token::Close) {
            if (key || --depth < 0)
                break;
        } else if (IsConditionTag(token.text)) {
            continue;
        } else if (!key) {
            key = token.text;
        } else {
            // depth 1: "1" "/path" (older clients); depth 2: "path" "/path"
            bool oldStyle = depth == 1 && IsNumber(*key);
            bool newStyle = depth == 2 && EqualNoCase(*key, "path");
            if ((oldStyle || newStyle) && !token.text.empty())
                paths.push_back(token.text);
            key.reset();
        }
    }
    return paths;
}

std::vector<std::string> SteamLibraries::Libraries(const std::string& home,
                                                   const std::string& canonicalHome) {
    std::vector<std::string> libraries;
    for (const char* root : {"/.steam/steam", "/.local/share/Steam",
                             "/.var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
        const std::string steam = home + root;
        libraries.push_back(steam);
        for (const char* list : {"/steamapps/libraryfolders.vdf", "/config/libraryfolders.vdf"})
            if (auto text = ReadSettingsFileInHome(canonicalHome, steam + list, kMaxVdfBytes))
                for (auto& path : PathsInVdf(*text))
                    libraries.push_back(std::move(path));
    }
    return libraries;
}

std::vector<std::string> SteamLibraries::ProtonPrefixes(const std::string& home,
                                                        const std::string& canonicalHome) {
    std::vector<std::string> prefixes;
    for (const auto& library : Libraries(home, canonicalHome)) {
        if (!IsUsablePrefixFolder(canonicalHome, library))
            continue;
        const std::string compatdata = library + "/steamapps/compatdata";
        if (!IsUsablePrefixFolder(canonicalHome, compatdata))
            continue;
        for (const auto& game : UsableSubfolders(canonicalHome, compatdata))
            if (IsUsablePrefixFolder(canonicalHome, game + "/pfx"))
                prefixes.push_back(game + "/pfx");
    }
    return prefixes;
}
