#include "platform/KnownFolders.h"

#include "platform/windows/WindowsText.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = Utf8(path);
    CoTaskMemFree(path);
    return folder;
}

} // namespace

std::string ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string utf8 = Utf8(path);
    const auto separator = utf8.find_last_of("\\/");
    return separator == std::string::npos ? "." : utf8.substr(0, separator);
}

std::string UserDataFolder() {
    return KnownFolder(FOLDERID_LocalAppData);
}

std::vector<std::string> ProgramFilesFolders() {
    std::vector<std::string> folders;
    for (const std::string& folder :
         {KnownFolder(FOLDERID_ProgramFilesX86), KnownFolder(FOLDERID_ProgramFilesX64)})
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    return folders;
}

namespace {

// A known folder that exists, else the user's own folder.
std::string ExistingKnownFolder(REFKNOWNFOLDERID id) {
    const std::string folder = KnownFolder(id);
    const DWORD attributes =
        folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return folder;
    return KnownFolder(FOLDERID_Profile);
}

} // namespace

std::string MusicFolder() {
    return ExistingKnownFolder(FOLDERID_Music);
}

std::string DocumentsFolder() {
    return ExistingKnownFolder(FOLDERID_Documents);
}
