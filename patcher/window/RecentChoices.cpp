#include "patcher/window/RecentChoices.h"

#include <QSettings>

namespace {

const char* const kGameFolderKey = "Settings/GameFolder";
const char* const kPackKey = "Settings/PackPath";

std::string Read(const char* key) {
    return QSettings().value(QLatin1String(key)).toString().toStdString();
}

void Write(const char* key, const std::string& path) {
    QSettings().setValue(QLatin1String(key), QString::fromStdString(path));
}

} // namespace

std::string RecentChoices::GameFolder() {
    return Read(kGameFolderKey);
}

std::string RecentChoices::Pack() {
    return Read(kPackKey);
}

void RecentChoices::RememberGameFolder(const std::string& folder) {
    Write(kGameFolderKey, folder);
}

void RecentChoices::RememberPack(const std::string& pack) {
    Write(kPackKey, pack);
}
