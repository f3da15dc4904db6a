#include "platform/KnownFolders.h"

#include "platform/FileOps.h"
#include "platform/SmallFileReader.h"

#include <cstdlib>
#include <linux/limits.h>
#include <sstream>
#include <unistd.h>

std::string ExecutableFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer.data(), static_cast<size_t>(length));
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string UserDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    return dataHome && *dataHome ? dataHome
                                 : std::string(home && *home ? home : "/tmp") + "/.local/share";
}

std::vector<std::string> ProgramFilesFolders() {
    return {};
}

namespace {

// The user-dirs file is a few lines; anything larger is not one.
constexpr std::size_t kMostUserDirsBytes = 64 * 1024;

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "";
}

std::string UserDirsFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/user-dirs.dirs";
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + "/.config/user-dirs.dirs";
}

// The folder of a line `KEY="$HOME/Music"` or `KEY="/absolute"` (backslash escapes taken
// literally); "" when the line is not of that form.
std::string UserDirValue(const std::string& line, const std::string& key) {
    const std::string start = key + "=\"";
    if (line.rfind(start, 0) != 0 || line.size() < start.size() + 1 || line.back() != '"')
        return "";
    std::string value;
    const std::string quoted = line.substr(start.size(), line.size() - start.size() - 1);
    for (std::size_t index = 0; index < quoted.size(); ++index)
        value +=
            quoted[index] == '\\' && index + 1 < quoted.size() ? quoted[++index] : quoted[index];
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
        return HomeFolder().empty() ? "" : HomeFolder() + value.substr(5);
    return value.rfind('/', 0) == 0 ? value : "";
}

std::string UserDir(const std::string& key) {
    const std::string file = UserDirsFile();
    const auto text = file.empty() ? std::nullopt
                                   : SmallFileReader::Read(file, kMostUserDirsBytes,
                                                           SmallFileReader::Links::Follow);
    if (!text)
        return "";
    std::istringstream lines(*text);
    std::string found;
    for (std::string line; std::getline(lines, line);)
        if (const std::string value = UserDirValue(line, key); !value.empty())
            found = value; // the last assignment wins, as in the shell
    return found;
}

std::string ExistingUserFolder(const std::string& key, const std::string& usualName) {
    const std::string named = UserDir(key);
    if (!named.empty() && FolderExists(named))
        return named;
    const std::string home = HomeFolder();
    if (!home.empty() && FolderExists(home + "/" + usualName))
        return home + "/" + usualName;
    return home;
}

} // namespace

std::string MusicFolder() {
    return ExistingUserFolder("XDG_MUSIC_DIR", "Music");
}

std::string DocumentsFolder() {
    return ExistingUserFolder("XDG_DOCUMENTS_DIR", "Documents");
}
