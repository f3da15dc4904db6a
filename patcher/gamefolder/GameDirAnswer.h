#pragma once
#include <string>

// What the registry's GAMEDIR value gives Palisor: the folder it names on this machine, or why
// it is not used. The value is outside data that a program reads as Windows does, so a value
// Windows would take for another place (a trailing dot, "C:", a \\?\ path), one that is not a
// full path (".") and one that names a file are refused with their real cause instead of being
// tried as a game folder. Never fails.
struct GameDirAnswer {
    std::string value;   // as the registry holds it; "" when there is none
    std::string folder;  // the folder to use; "" when there is no value or it is refused
    std::string refusal; // "GAMEDIR in <where> holds "<value>", which Palisor does not use:
                         // <why>."; "" when the value is used or there is none

    // value: what `where` holds ("the registry", "the registry of the Wine prefix P"); folder:
    // where a program of this machine reaches through it (the value itself on Windows, its place
    // in the prefix under Wine).
    static GameDirAnswer Of(const std::string& value, const std::string& folder,
                            const std::string& where);
};
