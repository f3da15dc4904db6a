#include "builder/SongListText.h"

#include "builder/ScriptTitle.h"
#include "builder/SlotLabels.h"
#include "builder/SongProject.h"
#include "common/CodePage.h"

namespace {

std::string PaddedTo(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string ListLine(const std::string& letter, const std::string& title, const std::string& time) {
    return PaddedTo(letter, 6) + " " + PaddedTo(title, 50) + " " + PaddedTo(time, 10) + "\r";
}

} // namespace

std::string SongListText(const SongProject& project) {
    std::string text = ListLine("Letter", "Title", "Time");
    text += std::string(76, '-') + "\r";
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project.SlotAt(position);
        text += ListLine(LetterLabel(position), ScriptTitle(slot.title()),
                         LengthText(slot.PlayedLength()));
    }
    return CodePage::ToUtf8(text);
}
