#include "builder/TypedTitles.h"

#include "builder/GameTitle.h"
#include "builder/SongSlot.h"

#include <iterator>

std::string TypedTitles::Type(const SongSlot& slot, const std::string& typed) {
    CodePage::Converted title = GameTitle(typed);
    if (title.changed) {
        altered_[&slot] = typed;
        verbatim_.erase(&slot);
    } else {
        altered_.erase(&slot);
        verbatim_[&slot] = title.bytes;
    }
    return std::move(title.bytes);
}

const std::string* TypedTitles::Altered(const SongSlot& slot) const {
    const auto typed = altered_.find(&slot);
    if (typed == altered_.end() || GameTitle(typed->second).bytes != slot.title())
        return nullptr;
    return &typed->second;
}

bool TypedTitles::Verbatim(const SongSlot& slot) const {
    const auto typed = verbatim_.find(&slot);
    return typed != verbatim_.end() && typed->second == slot.title();
}

std::string TypedTitles::Tip(const SongSlot& slot) const {
    if (Altered(slot))
        return "The game cannot show every character typed for this title.";
    if (!Verbatim(slot) && slot.title().find('?') != std::string::npos)
        return "This title holds \"?\", which may stand for characters the game cannot show.";
    return {};
}

void TypedTitles::ForgetReplaced() {
    for (auto typed = altered_.begin(); typed != altered_.end();)
        typed = Altered(*typed->first) ? std::next(typed) : altered_.erase(typed);
    for (auto typed = verbatim_.begin(); typed != verbatim_.end();)
        typed = Verbatim(*typed->first) ? std::next(typed) : verbatim_.erase(typed);
}

void TypedTitles::Forget() {
    altered_.clear();
    verbatim_.clear();
}
