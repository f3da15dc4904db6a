#pragma once
#include <string>
#include <string_view>
#include <vector>

// The facts of a music pack that both programs, the pack check and the tests share: its
// entries, the sixteen songs and their file names, the game archive's entry folder and the
// line the patched Default.con gains. Forming a name never fails.
namespace PackLayout {

inline constexpr int kSongCount = 16;

// The folder every entry of a pack lies in ("velk/playlists.con").
inline constexpr std::string_view kPackFolder = "velk";
// The folder the songs lie in inside the game's music.rfa ("music/US/music01.wav").
inline constexpr std::string_view kGameArchiveFolder = "music/US";

inline constexpr std::string_view kPlaylistScript = "playlists.con";
inline constexpr std::string_view kSoundScript = "US.ssc";

// The line that makes the game run the installed playlist script; the patched Default.con
// carries it framed by CR LF pairs.
inline constexpr std::string_view kRunLine = "run ../../../custom_music/playlists.con";

// "music07.ogg" for song 7 (1 to 16) and extension "ogg".
std::string SongFileName(int number, std::string_view extension = "ogg");

// The pack's entry names without their folder, in the order they are checked: playlists.con,
// US.ssc, music01.ogg to music16.ogg.
std::vector<std::string> EntryNames();

// "velk/" + name.
std::string PackEntryName(std::string_view name);

} // namespace PackLayout
