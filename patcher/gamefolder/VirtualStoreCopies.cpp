#include "patcher/gamefolder/VirtualStoreCopies.h"

#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/PathNoCase.h"

#include <cctype>

namespace {

std::string Comparable(const std::string& path) {
    std::string result;
    for (const char c : path)
        result += c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// "C:\Program Files (x86)\EA GAMES\Battlefield Vietnam" -> "Program Files (x86)/EA GAMES/
// Battlefield Vietnam", as VirtualStore names its mirror.
std::string WithoutDrive(const std::string& path) {
    std::string rest = HasDrive(path) ? path.substr(2) : path;
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    const auto start = rest.find_first_not_of('/');
    if (start == std::string::npos)
        return {};
    return rest.substr(start, rest.find_last_not_of('/') + 1 - start);
}

bool CopyExists(const std::string& path, bool folder) {
    const PathKind kind = InspectPath(path).kind;
    return kind == (folder ? PathKind::Folder : PathKind::RegularFile);
}

// Removes the emptied folders from `folder` up to and including `top`; stops at one that is
// not empty.
void RemoveEmptiedFolders(std::string folder, const std::string& top) {
    while (InsideFolderNoCase(folder, top) && RemoveEmptyFolder(folder))
        folder = FolderOf(folder);
    if (Comparable(folder) == Comparable(top))
        RemoveEmptyFolder(folder);
}

} // namespace

bool InsideFolderNoCase(const std::string& path, const std::string& folder) {
    const std::string inner = Comparable(path), outer = Comparable(folder);
    if (outer.empty() || inner.size() <= outer.size() + 1)
        return false;
    const std::string prefix = outer.back() == '/' ? outer : outer + '/';
    return inner.compare(0, prefix.size(), prefix) == 0;
}

VirtualStoreCopies::VirtualStoreCopies(GameFolder game,
                                       const std::vector<std::string>& programFilesFolders,
                                       const std::string& localAppData)
    : game_(std::move(game)) {
    if (localAppData.empty())
        return;
    for (const std::string& programFiles : programFilesFolders)
        if (InsideFolderNoCase(game_.Path(), programFiles)) {
            // Joined name by name, so that it is written with the system's separator.
            mirror_ =
                ResolvePathNoCase(JoinPath(WithSystemSeparators(localAppData), "VirtualStore"),
                                  WithoutDrive(game_.Path()));
            return;
        }
}

std::vector<VirtualStoreCopies::Copy> VirtualStoreCopies::Existing() const {
    std::vector<Copy> copies;
    if (mirror_.empty())
        return copies;
    const std::pair<const char*, bool> candidates[] = {{GameFolder::kDefaultConInFolder, false},
                                                       {GameFolder::kMusicRfaInFolder, false},
                                                       {"custom_music", true}};
    for (const auto& [relative, folder] : candidates)
        // The game finds its files without regard to case, and so did its redirection.
        if (const std::string path = ResolvePathNoCase(mirror_, relative); CopyExists(path, folder))
            copies.push_back({relative, path});
    return copies;
}

std::string VirtualStoreCopies::AsideFolder(const std::string& stamp) const {
    return JoinPath(game_.Backups(), "VirtualStore " + stamp);
}

VirtualStoreCopies::MoveOutcome VirtualStoreCopies::MoveAside(const std::string& stamp) const {
    MoveOutcome outcome;
    outcome.backupFolder = AsideFolder(stamp);
    const std::vector<Copy> copies = Existing();
    for (const Copy& copy : copies) {
        // The destination's folders come first: the mirror's custom_music goes into the real
        // custom_music's backups, never into itself.
        const std::string destination = ResolvePathNoCase(outcome.backupFolder, copy.relative);
        if (!CreateFolderTree(FolderOf(destination)) || !MoveNoReplace(copy.path, destination)) {
            outcome.failedCopy = copy.path;
            return outcome;
        }
    }
    for (const Copy& copy : copies)
        RemoveEmptiedFolders(FolderOf(copy.path), mirror_);
    outcome.moved = true;
    return outcome;
}
