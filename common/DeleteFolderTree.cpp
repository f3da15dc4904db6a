#include "common/DeleteFolderTree.h"

#include "platform/NativePath.h"

#include <filesystem>
#include <system_error>

bool DeleteFolderTree(const std::string& folder) {
    const std::filesystem::path path = NativePath(folder);
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path));
}
