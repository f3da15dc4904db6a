#pragma once
#include "patcher/gamefolder/GameFolderAccess.h"

// The running system's answers, through the platform layer.
class SystemGameFolderAccess : public GameFolderAccess {
public:
    bool Elevated() override;
    bool CanRestartElevated() override;
    FolderAccess ProbeWritable(const std::string& folder) override;
    bool HeldOpen(const std::string& path) override;
    std::vector<std::string> ProgramFilesFolders() override;
    std::string LocalAppDataFolder() override;
    RestartOutcome RestartElevated(const std::vector<std::string>& arguments) override;
};
