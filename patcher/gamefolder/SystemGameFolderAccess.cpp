#include "patcher/gamefolder/SystemGameFolderAccess.h"

#include "platform/FileOps.h"
#include "platform/KnownFolders.h"

bool SystemGameFolderAccess::Elevated() {
    return RunsElevated();
}

bool SystemGameFolderAccess::CanRestartElevated() {
    return ::CanRestartElevated();
}

FolderAccess SystemGameFolderAccess::ProbeWritable(const std::string& folder) {
    return ProbeFolderWritable(folder);
}

bool SystemGameFolderAccess::HeldOpen(const std::string& path) {
    return HeldOpenByAnother(path);
}

std::vector<std::string> SystemGameFolderAccess::ProgramFilesFolders() {
    return ::ProgramFilesFolders();
}

std::string SystemGameFolderAccess::LocalAppDataFolder() {
    // %LOCALAPPDATA% on Windows; no VirtualStore elsewhere, where there is no Program Files.
    return UserDataFolder();
}

RestartOutcome SystemGameFolderAccess::RestartElevated(const std::vector<std::string>& arguments) {
    return ::RestartElevated(arguments);
}
