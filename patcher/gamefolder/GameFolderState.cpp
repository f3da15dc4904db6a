#include "patcher/gamefolder/GameFolderState.h"

#include "common/PackLayout.h"
#include "patcher/gamefolder/InstalledPackRecord.h"
#include "platform/FileOps.h"
#include "platform/SmallFileReader.h"

namespace {

constexpr std::size_t kMaxDefaultConBytes = 16 << 20;

GameFolderState::Backups ReadBackups(const GameFolder& game) {
    switch (game.CheckBackups()) {
    case BackupState::Complete:
        return GameFolderState::Backups::Complete;
    case BackupState::Untrusted:
        return GameFolderState::Backups::Untrusted;
    case BackupState::Held:
        return GameFolderState::Backups::Held;
    case BackupState::Partial:
        return GameFolderState::Backups::Partial;
    case BackupState::Missing:
        break;
    }
    return GameFolderState::Backups::None;
}

bool RunsInstalledPlaylist(const GameFolder& game) {
    const auto text = SmallFileReader::Read(game.DefaultCon(), kMaxDefaultConBytes,
                                            SmallFileReader::Links::Follow);
    if (!text || !FileExists(game.InstalledPlaylists()))
        return false;
    for (std::size_t at = text->find(PackLayout::kRunLine); at != std::string::npos;
         at = text->find(PackLayout::kRunLine, at + 1)) {
        const std::size_t end = at + PackLayout::kRunLine.size();
        const bool lineStart = at == 0 || (*text)[at - 1] == '\n';
        const bool lineEnd = end == text->size() || (*text)[end] == '\r' || (*text)[end] == '\n';
        if (lineStart && lineEnd)
            return true;
    }
    return false;
}

const char* BackupsSentence(GameFolderState::Backups backups) {
    switch (backups) {
    case GameFolderState::Backups::Complete:
        return "Backups made and checked.";
    case GameFolderState::Backups::Partial:
        return "Backups incomplete: a backed-up file is missing.";
    case GameFolderState::Backups::Untrusted:
        return "Backups do not check out against their manifest.";
    case GameFolderState::Backups::Held:
        return "Backups cannot be checked now: another program holds them open.";
    case GameFolderState::Backups::None:
        break;
    }
    return "No backups yet.";
}

} // namespace

GameFolderState GameFolderState::Read(const GameFolder& game) {
    GameFolderState state;
    state.backups = ReadBackups(game);
    if (RunsInstalledPlaylist(game)) {
        const auto name = InstalledPackRecord::Read(game);
        state.pack = name ? Pack::Named : Pack::Unknown;
        state.packName = name.value_or("");
    }
    return state;
}

std::string GameFolderState::Line() const {
    std::string line = BackupsSentence(backups);
    if (pack == Pack::None)
        line += " No pack installed.";
    else
        line += " Pack installed: " + (pack == Pack::Named ? packName : "unknown pack") + ".";
    if (recovered)
        line += " An interrupted install was recovered.";
    return line;
}
