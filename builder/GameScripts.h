#pragma once
#include <string>
#include <string_view>

class SongProject;

// The two game scripts of a music pack. playlists.con is written through
// SongProject::WritePlaylistScript; US.ssc is the same fixed text for every project.

// The whole playlist script with CR LF line ends: the group, the sound script and one
// registerSong line per slot in list order (index 0 to 15, title made safe by ScriptTitle,
// length "%.1f" of the song as played: trimmed when it has a trim).
std::string PlaylistScriptText(const SongProject& project);

// The sound script text carried inside the program (1666 bytes). Empty if it was not
// embedded.
std::string_view SoundScriptText();

// Creates or empties the file and writes the sound script byte for byte. False when the file
// cannot be created, or when the text is missing (an empty file is left then). A write error
// after the open throws FileError.
bool WriteSoundScript(const std::string& file);
