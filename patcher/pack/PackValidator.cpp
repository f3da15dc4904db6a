#include "patcher/pack/PackValidator.h"

#include "common/EscapeForTerminal.h"
#include "common/PackLayout.h"
#include "common/WorkerPool.h"
#include "patcher/pack/KnownSoundScript.h"
#include "patcher/pack/PlaylistScriptReader.h"
#include "platform/NativePath.h"
#include "platform/SmallFileReader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>

namespace {

namespace fs = std::filesystem;

using PackLayout::kSongCount;
constexpr std::size_t kMaxScriptBytes = 1u << 20;
constexpr std::size_t kNamedExtras = 5;

std::string SongName(int number) {
    return PackLayout::SongFileName(number);
}

// The path of a pack's entry below the folder it was extracted into.
std::string EntryPath(const std::string& folder, const std::string& name) {
    return folder + "/" + PackLayout::PackEntryName(name);
}

// Every file, link or other non-folder below folder, and every empty folder (with a
// trailing "/"), as relative paths.
std::set<std::string> FolderContents(const std::string& folder) {
    std::set<std::string> found;
    std::error_code error;
    const fs::path root = NativePath(folder);
    for (fs::recursive_directory_iterator item(root, error), end; !error && item != end;
         item.increment(error)) {
        const std::string relative =
            Utf8Path(fs::relative(item->path(), root, error).generic_u8string());
        if (!item->is_directory(error) || item->is_symlink(error))
            found.insert(relative);
        else if (fs::is_empty(item->path(), error))
            found.insert(relative + "/");
    }
    return found;
}

} // namespace

PackValidator::PackValidator(std::string extractedFolder) : folder_(std::move(extractedFolder)) {}

void PackValidator::NoteEarlierContents() {
    earlier_ = FolderContents(folder_);
}

std::string PackValidator::Check(OggSongDepth depth, const CancelCheck& cancelled) {
    songs_.clear();
    cancelled_ = false;
    std::string message = CheckEntries();
    if (message.empty())
        message = CheckSoundScript();
    if (message.empty())
        message = CheckPlaylistScript();
    if (message.empty())
        message = CheckSongs(depth, cancelled);
    if (!message.empty())
        songs_.clear();
    return message;
}

std::string PackValidator::CheckEntries() const {
    std::set<std::string> found = FolderContents(folder_);
    std::vector<std::string> missing;
    for (const std::string& name : PackLayout::EntryNames())
        if (found.erase(PackLayout::PackEntryName(name)) == 0)
            missing.push_back(name);
    for (const std::string& earlier : earlier_)
        found.erase(earlier);
    if (!found.empty()) {
        std::string names;
        std::size_t named = 0;
        for (const std::string& name : found) {
            if (named == kNamedExtras) {
                names += ", ...";
                break;
            }
            names += (named++ ? ", " : "") + EscapeForTerminal(name);
        }
        return "The pack holds entries Korvane never writes: " + names + ".";
    }
    if (!missing.empty())
        return missing.front() + " is missing.";
    return {};
}

std::string PackValidator::CheckSoundScript() const {
    const auto script = SmallFileReader::Read(
        EntryPath(folder_, std::string(PackLayout::kSoundScript)), kMaxScriptBytes);
    if (!script || *script != KnownSoundScript())
        return "US.ssc is refused: it is not the sound script Korvane writes.";
    return {};
}

std::string PackValidator::CheckPlaylistScript() {
    const auto script = SmallFileReader::Read(
        EntryPath(folder_, std::string(PackLayout::kPlaylistScript)), kMaxScriptBytes);
    if (!script)
        return "playlists.con is refused: it is not a file of at most 1 MiB.";
    std::vector<ListedSong> listed;
    const std::string why = ReadPlaylistScript(*script, listed);
    if (!why.empty())
        return "playlists.con is refused: " + why + ".";
    for (const ListedSong& song : listed)
        songs_.push_back({song.title, song.length, 0, 0});
    return {};
}

std::string PackValidator::CheckSongs(OggSongDepth depth, const CancelCheck& cancelled) {
    if (threads_ > 1)
        return CheckSongsTogether(depth, cancelled);
    for (int number = 1; number <= kSongCount; ++number) {
        OggSongFacts facts;
        const std::string path = EntryPath(folder_, SongName(number));
        const std::string why = CancelWanted(cancelled)
                                    ? kSongCheckCancelled
                                    : CheckOggSong(path, depth, facts, cancelled);
        if (why == kSongCheckCancelled) {
            cancelled_ = true;
            return "The check of the pack was cancelled.";
        }
        if (!why.empty())
            return SongName(number) + " is refused: " + why + ".";
        PackSong& song = songs_[static_cast<std::size_t>(number - 1)];
        song.seconds = facts.seconds;
        song.rate = facts.rate;
    }
    return {};
}

std::string PackValidator::CheckSongsTogether(OggSongDepth depth, const CancelCheck& cancelled) {
    std::array<OggSongFacts, kSongCount> facts{};
    std::array<std::string, kSongCount> reasons{}; // each written by its worker only
    WorkerPool pool(kSongCount, WorkerPool::UsefulThreads(threads_));
    pool.Run(
        [&](int slot) {
            const auto index = static_cast<std::size_t>(slot);
            const std::string path = EntryPath(folder_, SongName(slot + 1));
            reasons[index] = CheckOggSong(path, depth, facts[index],
                                          [&pool, slot] { return pool.StopFlag(slot).load(); });
            return reasons[index].empty();
        },
        [&] { return CancelWanted(cancelled); });
    const int refused = pool.FirstFailed();
    if (refused >= 0 && pool.DonePrefix() == refused) {
        const std::string& why = reasons[static_cast<std::size_t>(refused)];
        return SongName(refused + 1) + " is refused: " + why + ".";
    }
    if (pool.DonePrefix() < kSongCount) {
        cancelled_ = true;
        return "The check of the pack was cancelled.";
    }
    for (std::size_t index = 0; index < facts.size(); ++index) {
        songs_[index].seconds = facts[index].seconds;
        songs_[index].rate = facts[index].rate;
    }
    return {};
}
