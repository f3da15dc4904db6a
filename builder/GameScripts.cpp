#include "builder/GameScripts.h"

#include "builder/ScriptTitle.h"
#include "builder/SlotLabels.h"
#include "builder/SongProject.h"
#include "common/PlaylistScriptLayout.h"
#include "common/TextFileWriter.h"

std::string PlaylistScriptText(const SongProject& project) {
    std::string text(kPlaylistScriptHead);
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project.SlotAt(position);
        text += std::string(kRegisterSongPrefix) + std::to_string(position - 1) + " \"" +
                ScriptTitle(slot.title()) + "\" " + LengthText(slot.PlayedLength()) + "\r\n";
    }
    text += kPlaylistScriptTail;
    return text;
}

bool WriteSoundScript(const std::string& file) {
    TextFileWriter writer;
    if (!writer.Open(file))
        return false;
    std::string_view text = SoundScriptText();
    if (text.empty()) {
        writer.Close();
        return false;
    }
    writer.WriteRaw(text);
    writer.Close();
    return true;
}
