#include "builder/window/BuilderSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kRecentKey = "RecentProjects";
const char* const kLoudnessKey = "MatchLoudness";

QString FolderKey(BuilderSettings::FolderKind kind) {
    switch (kind) {
    case BuilderSettings::FolderKind::Projects:
        return QStringLiteral("Folders/Projects");
    case BuilderSettings::FolderKind::Songs:
        return QStringLiteral("Folders/Songs");
    case BuilderSettings::FolderKind::Packs:
        break;
    }
    return QStringLiteral("Folders/Packs");
}

} // namespace

QStringList BuilderSettings::RecentProjects() {
    const QStringList stored = QSettings().value(kRecentKey).toStringList();
    QStringList existing;
    for (const QString& path : stored)
        if (QFileInfo(path).isFile() && !existing.contains(path))
            existing << path;
    if (existing != stored)
        StoreRecentProjects(existing);
    return existing.mid(0, kRecentCount);
}

void BuilderSettings::AddRecentProject(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = RecentProjects();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    StoreRecentProjects(paths.mid(0, kRecentCount));
}

void BuilderSettings::RemoveRecentProject(const QString& path) {
    QStringList paths = QSettings().value(kRecentKey).toStringList();
    paths.removeAll(QFileInfo(path).absoluteFilePath());
    StoreRecentProjects(paths);
}

void BuilderSettings::StoreRecentProjects(const QStringList& paths) {
    QSettings().setValue(kRecentKey, paths);
}

QString BuilderSettings::LastFolder(FolderKind kind) const {
    const QString folder = QSettings().value(FolderKey(kind)).toString();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void BuilderSettings::RememberFolderOf(FolderKind kind, const QString& file) {
    QSettings().setValue(FolderKey(kind), QFileInfo(file).absolutePath());
}

bool BuilderSettings::MatchLoudness() const {
    return QSettings().value(kLoudnessKey, true).toBool();
}

void BuilderSettings::SetMatchLoudness(bool on) {
    QSettings().setValue(kLoudnessKey, on);
}
