#include "tests/support/TempFolder.h"

#include "platform/FileOps.h"
#include "platform/NativePath.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

TempFolder::TempFolder() {
    // With "/" throughout, so that tests may join names with "/" on every system.
    std::string parent = Utf8Path(std::filesystem::temp_directory_path());
    for (char& c : parent)
        c = c == '\\' ? '/' : c;
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    path_ = CreateUniqueFolder(parent, "kptest-");
    if (path_.empty())
        throw std::runtime_error("cannot create a temporary folder");
    for (char& c : path_)
        c = c == '\\' ? '/' : c;
}

TempFolder::~TempFolder() {
    std::error_code error;
    // Tests may leave read-only folders behind; give write access back before deleting.
    for (auto it = std::filesystem::recursive_directory_iterator(NativePath(path_), error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->is_directory(error))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(NativePath(path_), error);
}

std::string TempFolder::file(const std::string& name) const {
    return path_ + "/" + name;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}
