#pragma once
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

// writable: every folder the action writes can be written without elevation; otherwise
// deniedFolder names the first that cannot, for the message.
ElevationDecision DecideElevation(bool elevated, bool writable, bool canRestart,
                                  const std::string& deniedFolder);

// The folders a change of the game folder writes: those holding Default.con and music.rfa,
// custom_music and its backups. A folder not made yet counts as the nearest existing folder
// above it, where it would be created.
std::vector<std::string> FoldersGameChangesWrite(const std::string& gameFolder);

// The first of those the probe finds access denied to; "" when none is. Other errors are left
// to the action, which reports them before it changes anything.
std::string FirstFolderDenied(const std::string& gameFolder,
                              const std::function<FolderAccess(const std::string&)>& probe);

// Said when restarting as administrator failed for another reason than the user saying no.
std::string RestartFailedMessage();
