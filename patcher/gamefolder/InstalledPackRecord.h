#pragma once
#include <optional>
#include <string>

// Which pack was installed into a game folder, recorded by file name at install time in
// custom_music/palisor.installed, together with the size of the music.rfa it installed so
// that a music.rfa replaced since by anything else no longer passes for that pack.
// A text file of LF-ended lines:
//   Palisor installed pack 1
//   name <the pack's file name>
//   music.rfa <size in bytes>
class InstalledPackRecord {
public:
    // Where the record lives.
    static std::string Path(const std::string& gameFolder);

    // Records packPath's file name against the game's music.rfa as it is now, written aside
    // and renamed into place (SafeFile). False when the record cannot be written (then no
    // record is left at all); touches nothing else.
    static bool Write(const std::string& gameFolder, const std::string& packPath);

    // The recorded file name, when the record is a regular file (not a link) of the layout
    // above, its name is plain text of at most 255 bytes, and the game's music.rfa still has
    // the recorded size. Nothing otherwise; never fails.
    static std::optional<std::string> Read(const std::string& gameFolder);

    // Removes the record (nothing happens when there is none).
    static void Forget(const std::string& gameFolder);
};
