#include "common/DeleteFolderTree.h"

#include "platform/FileOps.h"

#include <limits>
#include <utility>
#include <vector>

namespace {

// Keeps the first failure; later ones are consequences of it or of the same cause.
void Note(FileResult& first, FileResult result) {
    if (first && !result)
        first = std::move(result);
}

// Removes the files and links directly in folder and returns its subfolders.
std::vector<std::string> EmptyOfFiles(const std::string& folder, FileResult& first) {
    SystemError listError;
    const std::vector<FolderEntry> entries =
        ListFolder(folder, std::numeric_limits<std::size_t>::max(), &listError);
    if (entries.empty() && listError.code != 0)
        Note(first, listError);
    std::vector<std::string> folders;
    for (const FolderEntry& entry : entries) {
        std::string path = JoinPath(folder, entry.name);
        if (entry.kind == PathKind::Folder)
            folders.push_back(std::move(path));
        else
            Note(first, RemoveFile(path));
    }
    return folders;
}

} // namespace

FileResult DeleteFolderTree(const std::string& folder) {
    const PathInfo info = InspectPath(folder);
    if (info.kind == PathKind::Missing)
        return {};
    if (info.kind == PathKind::Unknown)
        return info.error;
    if (info.kind != PathKind::Folder)
        return RemoveFile(folder); // a link to a folder goes, what it leads to stays
    // Depth first without recursion, so that no depth of tree can exhaust the stack: a folder
    // is removed once everything below it is.
    FileResult first;
    std::vector<std::pair<std::string, bool>> pending = {{folder, false}};
    while (!pending.empty()) {
        if (pending.back().second) {
            Note(first, RemoveEmptyFolder(pending.back().first));
            pending.pop_back();
            continue;
        }
        pending.back().second = true;
        for (std::string& below : EmptyOfFiles(pending.back().first, first))
            pending.emplace_back(std::move(below), false);
    }
    return first;
}
