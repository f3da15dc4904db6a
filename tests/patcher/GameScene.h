#pragma once
#include "patcher/gamefolder/GameFolder.h"
#include "platform/FileOps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <string>

// The patcher's test scene, in a temporary folder of its own: a game folder with the game's
// two files (BFV), the program folder that holds the work folder (program), the fixture pack
// as Korvane writes it (pack.velk), and the prompts and progress the handlers report to.
struct GameScene {
    TempFolder temp;
    // Written as this system's user reads paths ("\" on Windows), as Palisor writes them back.
    std::string game = WithSystemSeparators(temp.file("BFV"));
    std::string base = WithSystemSeparators(temp.file("program"));
    std::string pack = WithSystemSeparators(temp.file("pack.velk"));
    FakePrompts prompts;
    FakeProgress progress;

    GameScene();

    GameFolder Game() const { return GameFolder(game); }
    // The handlers as a command runs them. Apply empties the work folder first and reports to
    // a fresh progress that keeps its cancelWhen.
    bool Backup();
    bool Restore();
    bool Apply();
};
