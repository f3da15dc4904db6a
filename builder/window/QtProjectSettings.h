#pragma once
#include "builder/ProjectSettings.h"

// Korvane's settings in the application's QSettings (the registry on Windows, an ini file on
// Linux): keys RecentProjects, Folders/Projects, Folders/Songs, Folders/Packs, MatchLoudness.
// Unreadable settings read as their defaults.
class QtProjectSettings : public ProjectSettings {
public:
    std::vector<std::string> RecentProjects() const override;
    void SetRecentProjects(const std::vector<std::string>& paths) override;
    std::string LastFolder(FolderKind kind) const override;
    void SetLastFolder(FolderKind kind, const std::string& folder) override;
    bool MatchLoudness() const override;
    void SetMatchLoudness(bool on) override;
};
