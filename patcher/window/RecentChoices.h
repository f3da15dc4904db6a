#pragma once
#include "patcher/ChoiceMemory.h"

#include <string>

// The game folder and the pack chosen last, kept in the application's profile (QSettings,
// keys Settings/GameFolder and Settings/PackPath) so that the next run offers them first.
// Reading gives "" when nothing was kept; nothing here fails.
class RecentChoices : public ChoiceMemory {
public:
    static std::string GameFolder();
    static std::string Pack();
    void RememberGameFolder(const std::string& folder) override;
    void RememberPack(const std::string& pack) override;
};
