#include "common/DeleteFolderTree.h"

#include <filesystem>
#include <system_error>

bool DeleteFolderTree(const std::string& folder) {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(folder));
}
