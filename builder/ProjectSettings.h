#pragma once
#include <string>
#include <vector>

// What Korvane remembers between runs: the recent projects, the folder each kind of file
// dialog last chose a file in, and the Match Loudness switch. The window keeps them in its
// QSettings; the command line and the tests in memory (MemoryProjectSettings).
// Storage never fails to the caller: what cannot be read reads as its default.
class ProjectSettings {
public:
    enum class FolderKind { Projects, Songs, Packs };

    virtual ~ProjectSettings() = default;

    // As stored, newest first; the controller keeps them tidy.
    virtual std::vector<std::string> RecentProjects() const = 0;
    virtual void SetRecentProjects(const std::vector<std::string>& paths) = 0;
    // "" when none is known.
    virtual std::string LastFolder(FolderKind kind) const = 0;
    virtual void SetLastFolder(FolderKind kind, const std::string& folder) = 0;
    // On unless switched off.
    virtual bool MatchLoudness() const = 0;
    virtual void SetMatchLoudness(bool on) = 0;
};
