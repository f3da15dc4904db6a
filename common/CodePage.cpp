#include "common/CodePage.h"

#include <iconv.h>
#include <locale.h>

#include <cerrno>
#include <optional>
#include <stdexcept>

namespace {

const char* const kGameCodePage = "WINDOWS-1252";
const char* const kGameCodePageTransliterating = "WINDOWS-1252//TRANSLIT";

// iconv transliterates with the tables of the calling thread's locale; a fixed locale keeps
// titles the same whatever the user's settings. Without that locale, the thread's own serves.
class FixedLocale {
public:
    FixedLocale() : locale_(newlocale(LC_ALL_MASK, "C.UTF-8", locale_t{})) {
        if (locale_)
            previous_ = uselocale(locale_);
    }
    ~FixedLocale() {
        if (locale_) {
            uselocale(previous_);
            freelocale(locale_);
        }
    }
    FixedLocale(const FixedLocale&) = delete;
    FixedLocale& operator=(const FixedLocale&) = delete;

private:
    locale_t locale_;
    locale_t previous_{};
};

class Converter {
public:
    Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {
        if (descriptor_ == kFailed)
            throw std::runtime_error(std::string("The C library cannot convert ") + from + " to " +
                                     to + ".");
    }
    ~Converter() { iconv_close(descriptor_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the conversion of input to output. False when it stops at a sequence it cannot
    // convert; input then starts at that sequence.
    bool Run(std::string_view& input, std::string& output) {
        char* in = const_cast<char*>(input.data()); // iconv's signature; it only reads
        std::size_t inLeft = input.size();
        char buffer[256];
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(descriptor_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                input = std::string_view(in, inLeft);
                return false;
            }
        }
        input = {};
        return true;
    }

private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
    iconv_t descriptor_;
};

bool IsContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The bytes of the (possibly malformed) UTF-8 sequence input starts with.
std::size_t SequenceLength(std::string_view input) {
    const auto lead = static_cast<unsigned char>(input.front());
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < expected && length < input.size() && IsContinuation(input[length]))
        ++length;
    return length;
}

std::string Utf8OfByteValue(unsigned char byte) {
    if (byte < 0x80)
        return std::string(1, static_cast<char>(byte));
    return {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
}

// The code point of a two-byte sequence as a byte; "?" for any other sequence.
char ByteOfTwoByteSequence(std::string_view sequence) {
    if (sequence.size() != 2)
        return '?';
    const unsigned value = (static_cast<unsigned char>(sequence[0]) & 0x1Fu) << 6 |
                           (static_cast<unsigned char>(sequence[1]) & 0x3Fu);
    return value <= 0xFF ? static_cast<char>(value) : '?';
}

// Characters Windows-1252 lacks whose best fit it has, as Windows' own best-fit table for the
// code page maps them, taken before iconv's transliteration (which makes "u" of the Greek mu
// and "ss" of the Greek beta, though the code page has the micro sign and the sharp s).
struct BestFit {
    const char* utf8;
    char byte;
};
constexpr BestFit kBestFits[] = {
    {"\u03bc", '\xB5'}, // Greek mu: micro sign
    {"\u03b2", '\xDF'}, // Greek beta: sharp s
    {"\u212b", '\xC5'}, // angstrom sign: A with ring
    {"\u2212", '-'},    // minus sign
    {"\u2215", '/'},    // division slash
    {"\u2219", '\xB7'}, // bullet operator: middle dot
    {"\u2044", '/'},    // fraction slash
};

// The best-fit byte of one UTF-8 sequence, or nothing.
std::optional<char> BestFitOf(std::string_view sequence) {
    for (const auto& fit : kBestFits)
        if (sequence == fit.utf8)
            return fit.byte;
    return std::nullopt;
}

} // namespace

CodePage::Converted CodePage::FromUtf8(std::string_view utf8) {
    FixedLocale locale;
    Converter exact(kGameCodePage, "UTF-8");
    Converter transliterating(kGameCodePageTransliterating, "UTF-8");
    Converted result;
    std::string_view rest = utf8;
    while (!exact.Run(rest, result.bytes)) {
        std::string_view sequence = rest.substr(0, SequenceLength(rest));
        rest.remove_prefix(sequence.size());
        // The undefined bytes, as ToUtf8 reads them, go back to their byte.
        const char byte = ByteOfTwoByteSequence(sequence);
        if (ToUtf8(std::string_view(&byte, 1)) == sequence)
            result.bytes += byte;
        else if (const auto fit = BestFitOf(sequence))
            result.bytes += *fit;
        else if (!transliterating.Run(sequence, result.bytes))
            result.bytes += '?';
    }
    result.changed = ToUtf8(result.bytes) != utf8;
    return result;
}

std::string CodePage::ToUtf8(std::string_view bytes) {
    Converter converter("UTF-8", kGameCodePage);
    std::string text;
    std::string_view rest = bytes;
    while (!converter.Run(rest, text)) {
        text += Utf8OfByteValue(static_cast<unsigned char>(rest.front()));
        rest.remove_prefix(1);
    }
    return text;
}
