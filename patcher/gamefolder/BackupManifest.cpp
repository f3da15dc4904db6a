#include "patcher/gamefolder/BackupManifest.h"

#include "platform/FileOps.h"
#include "platform/SafeFile.h"
#include "platform/Sha256.h"
#include "platform/SmallFileReader.h"

namespace {

constexpr const char* kFirstLine = "Palisor backup manifest 1";
constexpr std::size_t kMostBytes = 4096;
const char* const kNames[] = {"Default.con", "music.rfa"};

bool IsHexDigest(const std::string& text) {
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

std::optional<std::uint64_t> ParseSize(const std::string& text) {
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::optional<BackupManifest::Item> ParseItem(const std::string& line, const char* name) {
    const std::string prefix = std::string(name) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const auto space = line.find(' ', prefix.size());
    if (space == std::string::npos)
        return std::nullopt;
    auto size = ParseSize(line.substr(prefix.size(), space - prefix.size()));
    std::string digest = line.substr(space + 1);
    if (!size || !IsHexDigest(digest))
        return std::nullopt;
    return BackupManifest::Item{name, *size, digest};
}

} // namespace

std::string BackupManifest::Bytes() const {
    std::string text = std::string(kFirstLine) + "\n";
    for (const auto& item : items)
        text += item.name + " " + std::to_string(item.size) + " " + item.sha256 + "\n";
    return text;
}

std::optional<BackupManifest> BackupManifest::Parse(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find('\n', start);
        if (end == std::string::npos)
            return std::nullopt; // every line ends with a line feed
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() != 3 || lines[0] != kFirstLine)
        return std::nullopt;
    BackupManifest manifest;
    for (std::size_t i = 0; i < 2; ++i) {
        auto item = ParseItem(lines[i + 1], kNames[i]);
        if (!item)
            return std::nullopt;
        manifest.items.push_back(*item);
    }
    return manifest;
}

std::optional<BackupManifest> BackupManifest::Read(const std::string& path, SystemError* error) {
    auto bytes = SmallFileReader::Read(path, kMostBytes, SmallFileReader::Links::Refuse, error);
    return bytes ? Parse(*bytes) : std::nullopt;
}

FileResult BackupManifest::Write(const std::string& path) const {
    SafeFile file(path);
    if (file.Write(Bytes()) && file.Commit())
        return {};
    return file.Error();
}

BackupManifest::Check BackupManifest::CheckFolder(const std::string& folder,
                                                  SystemError* error) const {
    if (items.empty())
        return Check::Differs;
    for (const auto& item : items) {
        const std::string path = JoinPath(folder, item.name);
        const PathInfo info = InspectPath(path);
        if (info.kind != PathKind::RegularFile || info.size != item.size)
            return Check::Differs;
        SystemError unread;
        const auto digest = Sha256::OfFile(path, &unread);
        if (!digest && unread.Kind() == FileFailure::Busy) {
            if (error)
                *error = unread;
            return Check::Held;
        }
        if (digest != item.sha256)
            return Check::Differs;
    }
    return Check::Matches;
}

const BackupManifest::Item* BackupManifest::Find(const std::string& name) const {
    for (const auto& item : items)
        if (item.name == name)
            return &item;
    return nullptr;
}
