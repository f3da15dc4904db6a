#include "builder/window/QtProjectSettings.h"

#include <QSettings>
#include <QStringList>

namespace {

const char* const kRecentKey = "RecentProjects";
const char* const kLoudnessKey = "MatchLoudness";

QString FolderKey(ProjectSettings::FolderKind kind) {
    switch (kind) {
    case ProjectSettings::FolderKind::Projects:
        return QStringLiteral("Folders/Projects");
    case ProjectSettings::FolderKind::Songs:
        return QStringLiteral("Folders/Songs");
    case ProjectSettings::FolderKind::Packs:
        break;
    }
    return QStringLiteral("Folders/Packs");
}

} // namespace

std::vector<std::string> QtProjectSettings::RecentProjects() const {
    std::vector<std::string> paths;
    for (const QString& path : QSettings().value(kRecentKey).toStringList())
        paths.push_back(path.toStdString());
    return paths;
}

void QtProjectSettings::SetRecentProjects(const std::vector<std::string>& paths) {
    QStringList list;
    for (const std::string& path : paths)
        list << QString::fromStdString(path);
    QSettings().setValue(kRecentKey, list);
}

std::string QtProjectSettings::LastFolder(FolderKind kind) const {
    return QSettings().value(FolderKey(kind)).toString().toStdString();
}

void QtProjectSettings::SetLastFolder(FolderKind kind, const std::string& folder) {
    QSettings().setValue(FolderKey(kind), QString::fromStdString(folder));
}

bool QtProjectSettings::MatchLoudness() const {
    return QSettings().value(kLoudnessKey, true).toBool();
}

void QtProjectSettings::SetMatchLoudness(bool on) {
    QSettings().setValue(kLoudnessKey, on);
}
