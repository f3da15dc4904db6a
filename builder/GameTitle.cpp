#include "builder/GameTitle.h"

CodePage::Converted GameTitle(std::string_view utf8) {
    // Cut before converting too, so that no title of any length is converted whole; every
    // character becomes at least one byte, so the first bytes decide.
    constexpr std::size_t kMostUtf8Bytes = 4 * kMostGameTitleBytes;
    std::string_view head = utf8.substr(0, kMostUtf8Bytes);
    while (head.size() < utf8.size() && !head.empty() &&
           (static_cast<unsigned char>(utf8[head.size()]) & 0xC0) == 0x80)
        head.remove_suffix(1); // never half a character
    CodePage::Converted title = CodePage::FromUtf8(head);
    const bool cut = title.bytes.size() > kMostGameTitleBytes || head.size() < utf8.size();
    if (title.bytes.size() > kMostGameTitleBytes)
        title.bytes.resize(kMostGameTitleBytes);
    title.changed = title.changed || cut;
    return title;
}
