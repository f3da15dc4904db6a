#pragma once
#include <string>

// Where the game folder and the pack chosen last are kept for the next run (the window's
// profile). Remembering never fails visibly.
class ChoiceMemory {
public:
    virtual ~ChoiceMemory() = default;
    virtual void RememberGameFolder(const std::string& folder) = 0;
    virtual void RememberPack(const std::string& pack) = 0;
};
