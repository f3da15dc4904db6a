#pragma once
#include "patcher/gamefolder/GameFolderAccess.h"
#include "platform/FileOps.h"

#include <set>
#include <string>
#include <vector>

// Stands in for the system's side of a game folder: rights, files held open by a game,
// Program Files and %LOCALAPPDATA% (folders of the test's choosing), and the restart as
// administrator, which is recorded instead of made.
class FakeGameFolderAccess : public GameFolderAccess {
public:
    bool elevated = false;
    bool canRestart = true;
    std::set<std::string> deniedFolders;
    int heldChecksLeft = 0; // HeldOpen answers true this many times, then false
    std::vector<std::string> programFiles;
    std::string localAppData;
    RestartOutcome restartOutcome = RestartOutcome::Started;
    std::vector<std::vector<std::string>> restarts;

    bool Elevated() override { return elevated; }
    bool CanRestartElevated() override { return canRestart; }
    FolderAccess ProbeWritable(const std::string& folder) override {
        // Either separator names the same folder, as it does on Windows.
        for (const std::string& denied : deniedFolders)
            if (WithSystemSeparators(denied) == WithSystemSeparators(folder))
                return FolderAccess::Denied;
        return FolderAccess::Writable;
    }
    bool HeldOpen(const std::string&) override {
        if (heldChecksLeft == 0)
            return false;
        --heldChecksLeft;
        return true;
    }
    std::vector<std::string> ProgramFilesFolders() override { return programFiles; }
    std::string LocalAppDataFolder() override { return localAppData; }
    RestartOutcome RestartElevated(const std::vector<std::string>& arguments) override {
        restarts.push_back(arguments);
        return restartOutcome;
    }
};
