#pragma once
#include <string>
#include <vector>

// One song of the pack preview, as the window shows it.
struct PreviewSong {
    std::string number; // "01" to "16": the song's slot
    std::string title;  // UTF-8, as the game will show it
    std::string length; // minutes and seconds, "3:07"
    bool operator==(const PreviewSong&) const = default;
};

// Everything Palisor's window shows, as GameFolderController decides it: the window draws it
// as it is.
struct PatcherView {
    enum class Closing {
        No,
        Done,  // the window's work is handed on (an elevated Palisor took over)
        Failed // the window cannot work (its work folder is another Palisor's, or cannot be made)
    };

    std::string gameFolder;                     // the folder field
    std::vector<std::string> gameFolderChoices; // the drop-down, each folder once
    std::string gameFolderFlag;       // under the folder field: why it is not the game's, or ""
    std::string packPath;             // the pack field
    std::vector<PreviewSong> preview; // the pack's sixteen songs, or none
    std::string packNote;             // why the pack is refused, or ""
    int playingSong = 0;              // the song of the preview that plays (1 to 16), or 0
    // What plays ("Playing 03 Title  0:12 / 3:07"), kNoSoundOutput, why a song cannot play, the
    // listening hint while nothing plays, or "" (no pack, or no player: the command line)
    std::string listening;
    std::string stateLine;
    bool applyEnabled = false;
    bool backupEnabled = false;
    bool restoreEnabled = false;
    bool busy = false; // a backup, restore or pack preview is under way
    Closing closing = Closing::No;
};
