#pragma once
#include "patcher/gamefolder/GameFolder.h"

#include <string>

// What the window's state line says about a game folder: the backups, the pack the game now
// runs, and whether an interrupted install was just recovered. Read fresh after every action.
struct GameFolderState {
    enum class Backups {
        None,      // no backed-up file
        Partial,   // one of the two backed-up files is missing
        Untrusted, // both there, but they do not check out
        Held,      // both there, but another program holds one so that it cannot be checked
        Complete   // both there and checked
    };
    enum class Pack {
        None,   // Default.con does not run the installed playlist script
        Named,  // it does, and the pack's file name was recorded when it was installed
        Unknown // it does, but no record names the pack installed
    };

    Backups backups = Backups::None;
    Pack pack = Pack::None;
    std::string packName; // Named: the pack's file name
    bool recovered = false;

    // Reads the state of a folder that exists; recovered is left false (the caller knows it).
    // Never fails: what cannot be read counts as absent.
    static GameFolderState Read(const GameFolder& game);

    // The state line: one sentence each for the backups, the pack and a recovery, e.g.
    // "Backups made and checked. Pack installed: songs.velk."
    std::string Line() const;
};
