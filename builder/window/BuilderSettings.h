#pragma once
#include <QString>
#include <QStringList>

// What Korvane remembers between runs, in the application's QSettings: the recent projects,
// the folder last used by each kind of file dialog, and the Match Loudness switch.
// Nothing here fails: unreadable settings read as their defaults.
class BuilderSettings {
public:
    enum class FolderKind { Projects, Songs, Packs };
    static constexpr int kRecentCount = 5;

    // The recent projects, newest first, without the files that no longer exist (which are
    // also dropped from the settings).
    QStringList RecentProjects();
    // Puts a project first in the list, keeping at most kRecentCount.
    void AddRecentProject(const QString& path);
    void RemoveRecentProject(const QString& path);

    // The folder a dialog of this kind last chose a file in; empty when none is known.
    QString LastFolder(FolderKind kind) const;
    // Remembers the folder of a file chosen in a dialog of this kind.
    void RememberFolderOf(FolderKind kind, const QString& file);

    // On unless switched off.
    bool MatchLoudness() const;
    void SetMatchLoudness(bool on);

private:
    void StoreRecentProjects(const QStringList& paths);
};
