#pragma once
#include "patcher/gamefolder/GameFolder.h"
#include "platform/FolderWritable.h"

#include <functional>
#include <string>
#include <vector>

// Whether an action that writes the game folder (Backup, Apply, Restore, and the recovery of
// an interrupted change) may start, decided before anything is changed: a folder this process
// may not write would otherwise fail the action halfway on access denied.
struct ElevationDecision {
    enum class Step {
        Proceed,      // every folder can be written
        OfferRestart, // ask whether to restart Palisor as administrator (message: the question)
        Refuse,       // say why it cannot be done (message)
    };
    Step step = Step::Proceed;
    std::string message;
};

// What the decision rests on.
struct ElevationFacts {
    bool elevated = false;    // this process already runs as administrator
    bool writable = true;     // every folder the action writes can be written
    bool canRestart = false;  // the system can restart this program as administrator (Windows)
    bool fromWindow = true;   // the window may offer that restart; the command line never does
    std::string deniedFolder; // when not writable: the first folder that cannot be, for the message
};

ElevationDecision DecideElevation(const ElevationFacts& facts);

// The folders a change of the game folder writes: those holding Default.con and music.rfa,
// custom_music and its backups. A folder not made yet counts as the nearest existing folder
// above it, where it would be created.
std::vector<std::string> FoldersGameChangesWrite(const GameFolder& game);

// The first of those the probe finds access denied to; "" when none is. Other errors are left
// to the action, which reports them before it changes anything.
std::string FirstFolderDenied(const GameFolder& game,
                              const std::function<FolderAccess(const std::string&)>& probe);

// Said when restarting as administrator failed for another reason than the user saying no.
std::string RestartFailedMessage();
