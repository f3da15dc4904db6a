#pragma once
#include <string_view>

// The fixed parts of playlists.con, the script the game runs as console commands. Korvane
// writes them and Palisor accepts a pack only when its script has exactly this layout:
// the head (6 lines), one song line per slot, the tail (6 lines), each line ended by CR LF.
// A song line is kRegisterSongPrefix, the index 0 to 15, a space, the title in double
// quotes (no quote or control character inside), a space and the length ("187.0").

constexpr std::string_view kPlaylistScriptHead =
    "rem createGroup <GroupID> <name> starts a new group.\r\n"
    "rem - The group is set on the musicPlayer template with \"groupId <name>\" (Names are not "
    "case sensitive)\r\n"
    "\r\n"
    "musicManager.createGroup \"US\"\r\n"
    "musicmanager.loadSoundScript \"us.ssc\"\r\n"
    "\r\n";

constexpr std::string_view kPlaylistScriptTail =
    "\r\n"
    "rem CustomPlaylist should always be last in this file.\r\n"
    "rem MusicPlayers without the setGroup \"<name>\" will default to the first playlist in "
    "this file.\r\n"
    "rem It should never be the custom playlist.\r\n\r\n"
    "musicManager.registerDirectory \"Custom\" \"/My Music\"\r\n";

constexpr std::string_view kRegisterSongPrefix = "musicmanager.registerSong ";
