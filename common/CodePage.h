#pragma once
#include <string>
#include <string_view>

// Titles are kept as the game reads them: 8-bit text in Windows-1252, the Windows code page of
// the Western systems the game was sold for. The model, the project file and playlists.con
// hold those bytes unchanged; text meets them only at the edges (window, clipboard, terminal,
// tags), and crosses here, through tables of our own, so that a title gives the same bytes on
// every system whatever its locale or C library.
//
// Failure: none; malformed input becomes "?".
class CodePage {
public:
    struct Converted {
        std::string bytes; // Windows-1252
        bool changed = false;
    };

    // UTF-8 text to Windows-1252 bytes. A character Windows-1252 lacks becomes its best fit in
    // the code page where Windows has one (the micro sign for the Greek mu), else the closest
    // Western text (the base letter of an accented Latin or Vietnamese letter, "-" for the
    // other dashes, ASCII for fullwidth forms), else "?"; a malformed sequence becomes "?".
    // changed tells that the bytes no longer read back as the given text.
    static Converted FromUtf8(std::string_view utf8);

    // Windows-1252 bytes to UTF-8 text. The five bytes the code page leaves undefined (81, 8D,
    // 8F, 90, 9D) become the code points of the same value, as Windows reads them, so every
    // byte string reads back unchanged through FromUtf8.
    static std::string ToUtf8(std::string_view bytes);

    // True when text is well-formed UTF-8 (no overlong form, surrogate or cut sequence).
    static bool IsUtf8(std::string_view text);
};
