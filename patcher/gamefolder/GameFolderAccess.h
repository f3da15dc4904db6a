#pragma once
#include "platform/Elevation.h"
#include "platform/FolderWritable.h"

#include <string>
#include <vector>

// What Palisor asks the system before it changes a game folder: its rights, whether a game
// file is held open, where VirtualStore lies, and restarting as administrator. The window
// reaches the system only through this, so that its tests can stand in for all of it.
class GameFolderAccess {
public:
    virtual ~GameFolderAccess() = default;

    virtual bool Elevated() = 0;
    virtual bool CanRestartElevated() = 0;
    virtual FolderAccess ProbeWritable(const std::string& folder) = 0;
    virtual bool HeldOpen(const std::string& path) = 0;
    virtual std::vector<std::string> ProgramFilesFolders() = 0;
    virtual std::string LocalAppDataFolder() = 0;
    virtual RestartOutcome RestartElevated(const std::vector<std::string>& arguments) = 0;
};
