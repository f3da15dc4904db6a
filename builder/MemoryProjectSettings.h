#pragma once
#include "builder/ProjectSettings.h"

#include <map>

// Settings that last as long as the object: the command line's, and the tests'.
class MemoryProjectSettings : public ProjectSettings {
public:
    std::vector<std::string> RecentProjects() const override { return recent_; }
    void SetRecentProjects(const std::vector<std::string>& paths) override { recent_ = paths; }
    std::string LastFolder(FolderKind kind) const override {
        const auto found = folders_.find(kind);
        return found == folders_.end() ? std::string() : found->second;
    }
    void SetLastFolder(FolderKind kind, const std::string& folder) override {
        folders_[kind] = folder;
    }
    bool MatchLoudness() const override { return matchLoudness_; }
    void SetMatchLoudness(bool on) override { matchLoudness_ = on; }

private:
    std::vector<std::string> recent_;
    std::map<FolderKind, std::string> folders_;
    bool matchLoudness_ = true;
};
