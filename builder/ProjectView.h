#pragma once
#include "builder/SongProject.h"

#include <array>
#include <string>
#include <vector>

// One row of the song list as the window draws it. Texts are UTF-8.
struct SlotRowView {
    std::string number; // "01" to "16"
    std::string letter; // "A" to "P"
    std::string title;
    std::string length;   // "%.1f" seconds of a valid slot as played (trimmed), else "0"
    std::string status;   // "Ok", or why the slot cannot be built ("invalid trim"...)
    bool warning = false; // the slot would stop a build: a mark beside its status
    // Not empty: the title may not be what the game shows; the row is coloured, with this tip.
    std::string titleTip;
};

// The listening controls of the selected slot.
struct ListeningView {
    // Sound output was found: otherwise every control below is disabled.
    bool available = false;
    // kNoSoundOutput, or why the song cannot be played; empty otherwise.
    std::string status;
    bool playEnabled = false; // a slot with a valid song is selected, or a song is loaded
    bool playing = false;     // Play pauses now (Space too)
    bool stopEnabled = false; // a song is loaded
    bool positionEnabled = false;
    int positionMs = 0; // in the song as it plays: from its Start
    int durationMs = 0;
    std::string timeText; // "0:12.3 / 3:05.0"; empty without a song
    bool gameVersion = false; // "As the game plays it"
};

// Everything Korvane's window shows, as the controller decides it. Texts are UTF-8.
struct ProjectView {
    std::array<SlotRowView, SongProject::kSlotCount> rows;
    int selectedRow = -1; // 0 to 15; -1: none
    std::string titleText;
    std::string pathText;
    bool slotFieldsEnabled = false; // Title, File Path and Browse...
    bool moveUpEnabled = false;
    bool moveDownEnabled = false;
    // The selected slot's trim: empty for no Start, no End (the song's end) and no fades.
    std::string startText;
    std::string endText;
    std::string fadeInText;
    std::string fadeOutText;
    bool trimFieldsEnabled = false;
    ListeningView listening;
    std::string qualityText;
    std::string inGameText;                  // "In game: ..." beside Title; empty: not shown
    std::string caption;                     // "Korvane - NAME"
    bool modified = false;                   // unsaved changes: the caption's marker
    std::vector<std::string> recentProjects; // newest first
    bool matchLoudness = true;
};

// Where the keyboard focus goes after an action, once.
enum class FocusRequest {
    None,
    List,    // after Move Up / Move Down: the arrows go on from the moved row
    Quality, // after a refused quality: its text selected for retyping
    // After a refused trim time: that field, its text selected for retyping.
    Start,
    End,
    FadeIn,
    FadeOut,
};
