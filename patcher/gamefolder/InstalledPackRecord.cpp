#include "patcher/gamefolder/InstalledPackRecord.h"

#include "patcher/gamefolder/PatcherPaths.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/SafeFile.h"
#include "platform/SmallFileReader.h"

#include <sstream>

namespace {

const char* const kHeader = "Palisor installed pack 1";
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kMaxRecordBytes = 4096;

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes)
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '/')
            return false;
    return true;
}

std::optional<std::uint64_t> ParseSize(const std::string& text) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    return std::stoull(text);
}

} // namespace

std::string InstalledPackRecord::Path(const std::string& gameFolder) {
    return JoinPath(CustomMusicFolder(gameFolder), "palisor.installed");
}

bool InstalledPackRecord::Write(const std::string& gameFolder, const std::string& packPath) {
    const std::string name = FileNameOf(packPath);
    const auto musicSize = FileLength(GameMusicRfa(gameFolder));
    if (gameFolder.empty() || !IsPlainName(name) || !musicSize) {
        Forget(gameFolder);
        return false;
    }
    std::ostringstream text;
    text << kHeader << "\nname " << name << "\nmusic.rfa " << *musicSize << "\n";
    SafeFile record(Path(gameFolder));
    if (record.Open() && record.Write(text.str()) && record.Commit())
        return true;
    Forget(gameFolder);
    return false;
}

std::optional<std::string> InstalledPackRecord::Read(const std::string& gameFolder) {
    if (gameFolder.empty())
        return std::nullopt;
    const auto bytes = SmallFileReader::Read(Path(gameFolder), kMaxRecordBytes);
    if (!bytes)
        return std::nullopt;
    std::istringstream lines(*bytes);
    std::string header, nameLine, sizeLine, extra;
    if (!std::getline(lines, header) || header != kHeader || !std::getline(lines, nameLine) ||
        !std::getline(lines, sizeLine) || std::getline(lines, extra) || bytes->back() != '\n')
        return std::nullopt;
    if (nameLine.rfind("name ", 0) != 0 || sizeLine.rfind("music.rfa ", 0) != 0)
        return std::nullopt;
    const std::string name = nameLine.substr(5);
    const auto recordedSize = ParseSize(sizeLine.substr(10));
    if (!IsPlainName(name) || !recordedSize || FileLength(GameMusicRfa(gameFolder)) != recordedSize)
        return std::nullopt;
    return name;
}

void InstalledPackRecord::Forget(const std::string& gameFolder) {
    if (!gameFolder.empty())
        RemoveFile(Path(gameFolder));
}
