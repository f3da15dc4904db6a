#include "builder/ImportSongs.h"
#include "builder/GameTitle.h"
#include "builder/ProjectPaths.h"

#include "builder/SlotLabels.h"
#include "builder/SongProject.h"
#include "builder/WavHeaderReader.h"
#include "common/CodePage.h"
#include "common/EscapeForTerminal.h"
#include "common/Progress.h"
#include "common/ProgressCloser.h"
#include "common/Prompts.h"
#include "import/ParallelImport.h"
#include "platform/FileOps.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

using Result = ImportSongsOutcome::Result;

constexpr auto kPumpInterval = std::chrono::milliseconds(100);

// Tags and file names are UTF-8; the model holds titles in the game's code page.
std::string TitleForModel(const std::string& utf8Title) {
    return GameTitle(utf8Title).bytes;
}

// The builder's own probe decides whether a WAV file can be used as it is.
bool BuilderTakesAsIs(const std::string& path) {
    WavHeaderReader header;
    return header.Open(path) && header.channels == 1 && header.bitsPerSample == 16 &&
           header.byteRate != 0;
}

bool IsRealFolder(const std::string& path) {
    return InspectPath(path).kind == PathKind::Folder;
}

// Beside a project only the one folder is made, so a project in a missing folder fails here
// rather than leaving folders behind; the data folder is made with its parents.
bool MakeSongFolder(const std::string& folder, bool besideProject) {
    if (IsRealFolder(folder))
        return true;
    if (besideProject)
        CreateFolder(folder);
    else
        CreateFolderTree(folder);
    return IsRealFolder(folder);
}

// The slots the songs go into, in order.
std::vector<SongSlot*> TargetSlots(SongProject& project, int firstPosition) {
    std::vector<SongSlot*> slots;
    for (int position = std::max(1, firstPosition); position <= SongProject::kSlotCount; ++position)
        if (firstPosition > 0 || ImportSongs::IsEmptySlot(project.SlotAt(position)))
            slots.push_back(&project.SlotAt(position));
    return slots;
}

bool HasOwnTitle(const SongSlot& slot) {
    return !slot.title().empty() && slot.title() != "empty slot";
}

// Paths and tags are outside data, and the lines may reach a terminal.
std::string Shown(const std::string& text) {
    return EscapeForTerminal(text);
}

std::string ProgressText(int done, int total) {
    return "Importing songs: " + std::to_string(done) + " of " + std::to_string(total) + " done";
}

} // namespace

ImportSongs::ImportSongs(Prompts& prompts, Progress& progress)
    : prompts_(prompts), progress_(progress) {}

std::string ImportSongs::SongFolderFor(const std::string& projectPath,
                                       const std::string& dataFolder) {
    if (projectPath.empty())
        return SystemSeparators(JoinPath(dataFolder, "songs"));
    const std::string folder = FolderHolding(projectPath);
    return SystemSeparators(
        JoinPath(folder.empty() ? std::string(".") : folder, StemOf(projectPath) + " songs"));
}

bool ImportSongs::IsEmptySlot(const SongSlot& slot) {
    return slot.path().empty() && (slot.title().empty() || slot.title() == "empty slot");
}

std::string ImportSongs::SongLine(int position, const std::string& title, double seconds,
                                  double gainDb, bool inPlace) {
    const long whole = std::lround(seconds);
    char details[64];
    std::snprintf(details, sizeof details, " (%ld:%02ld, gain %+.1f dB%s)", whole / 60, whole % 60,
                  gainDb, inPlace ? ", used in place" : "");
    return LetterLabel(position) + ": " + title + details;
}

ImportSongsOutcome ImportSongs::Run(SongProject& project, const std::vector<std::string>& files,
                                    const ImportSongsOptions& options) {
    ImportSongsOutcome outcome;
    const std::vector<SongSlot*> slots = TargetSlots(project, options.firstPosition);
    const std::size_t taken = std::min(slots.size(), files.size());
    const std::string folder = SongFolderFor(project.path(), options.dataFolder);
    const bool madeFolder = taken > 0 && !IsRealFolder(folder);
    if (taken > 0 && !MakeSongFolder(folder, !project.path().empty())) {
        outcome.result = Result::NoFolder;
        prompts_.Message("Cannot create the folder " + Shown(folder) + " for the imported songs.");
        return outcome;
    }

    const SongImporter importer(folder, ImportSettings{options.matchLoudness, BuilderTakesAsIs});
    std::vector<ImportedSong> songs;
    {
        ProgressCloser closer(progress_);
        progress_.Open("Importing songs", true);
        progress_.SetRange(0, 1000, 1);
        ParallelImport batch(importer, {files.begin(), files.begin() + taken}, options.threads);
        bool done = taken == 0;
        while (!done) {
            done = batch.WaitFor(kPumpInterval);
            progress_.SetPosition(batch.Permille());
            progress_.SetText(ProgressText(batch.Done(), static_cast<int>(taken)));
            if (progress_.Pump(true)) {
                batch.Cancel();
                batch.TakeResults();
                if (madeFolder)
                    RemoveEmptyFolder(folder); // only when nothing else is in it
                outcome.result = Result::Cancelled;
                prompts_.Message("Import cancelled. No song was added.");
                return outcome;
            }
        }
        songs = batch.TakeResults();
    }

    std::size_t nextSlot = 0;
    std::string replaced; // the songs a drop on filled rows put aside
    for (ImportedSong& song : songs) {
        if (!SongImporter::Publish(song)) {
            outcome.lines.push_back(ImportProblemText(song.problem, Shown(song.source)));
            continue;
        }
        // Stored whole, in the system's separators: a song used in place may have been named
        // relative to the current folder, which means nothing to the project later.
        song.path = AbsolutePath(song.path);
        if (!song.inPlace)
            outcome.newFiles.push_back(song.path);
        SongSlot& slot = *slots[nextSlot++];
        if (!IsEmptySlot(slot))
            replaced += (replaced.empty() ? "" : ", ") + LetterLabel(project.PositionOf(slot)) +
                        " (" + Shown(CodePage::ToUtf8(slot.title())) + ")";
        if (!options.keepOwnTitles || !HasOwnTitle(slot))
            slot.SetTitle(TitleForModel(song.title));
        slot.SetPath(song.path);
        slot.SetTrim(SongTrim()); // another song: the old one's cut means nothing to it
        // The line shows the title as the game will show it.
        outcome.lines.push_back(SongLine(project.PositionOf(slot),
                                         Shown(CodePage::ToUtf8(slot.title())), song.seconds,
                                         song.gainDb, song.inPlace));
        ++outcome.added;
    }
    if (!replaced.empty())
        outcome.lines.push_back("Replaced: " + replaced + ".");
    for (std::size_t index = taken; index < files.size(); ++index)
        outcome.lines.push_back("No empty slot left for " + Shown(files[index]) + ".");
    if (outcome.added < static_cast<int>(files.size()))
        outcome.result = Result::SomeRefused;
    if (!outcome.lines.empty()) {
        std::string text;
        for (const std::string& line : outcome.lines)
            text += (text.empty() ? "" : "\n") + line;
        if (outcome.result == Result::AllAdded)
            prompts_.Inform(text);
        else
            prompts_.Message(text);
    }
    return outcome;
}
