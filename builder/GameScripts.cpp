#include "builder/GameScripts.h"

#include "builder/SlotLabels.h"
#include "builder/SongProject.h"
#include "common/TextFileWriter.h"

namespace {

constexpr std::string_view kPlaylistHead =
    "rem createGroup <GroupID> <name> starts a new group.\r\n"
    "rem - The group is set on the musicPlayer template with \"groupId <name>\" (Names are not "
    "case sensitive)\r\n"
    "\r\n"
    "musicManager.createGroup \"US\"\r\n"
    "musicmanager.loadSoundScript \"us.ssc\"\r\n"
    "\r\n";

constexpr std::string_view kPlaylistTail =
    "\r\n"
    "rem CustomPlaylist should always be last in this file.\r\n"
    "rem MusicPlayers without the setGroup \"<name>\" will default to the first playlist in "
    "this file.\r\n"
    "rem It should never be the custom playlist.\r\n\r\n"
    "musicManager.registerDirectory \"Custom\" \"/My Music\"\r\n";

// The script is Windows text: a line feed inside a title ends a line like any other.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

std::string PlaylistScriptText(const SongProject& project) {
    std::string text(kPlaylistHead);
    for (int position = 1; position <= SongProject::kSlotCount; ++position) {
        const SongSlot& slot = project.SlotAt(position);
        // Titles go in unchanged: the game reads them up to the next quote.
        text += "musicmanager.registerSong " + std::to_string(position - 1) + " \"" +
                WithCrLf(slot.title()) + "\" " + LengthText(slot.length()) + "\r\n";
    }
    text += kPlaylistTail;
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
