#include "patcher/install/PatchJob.h"

#include "archive/FlatArchiveWriter.h"
#include "archive/UnpackArchive.h"
#include "audio/OggDecoder.h"
#include "common/DeleteFolderTree.h"
#include "common/PackLayout.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "platform/FileOps.h"
#include "platform/ShortPathOf.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using PackLayout::kSongCount;
using PackLayout::SongFileName;

// The names in a folder, sorted, when it holds regular files only; empty otherwise.
std::vector<std::string> RegularFilesOnly(const std::string& folder) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.kind != PathKind::RegularFile)
            return {};
        names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

void PatchJob::Report(const std::string& text) {
    lastText_ = text;
    if (reporter)
        cancelled = reporter->ReportStep(text, position);
}

bool PatchJob::CancelRequested() {
    Report(lastText_);
    return cancelled;
}

bool PatchJob::Invalid(const std::string& message) {
    prompts_.Message(message);
    return false;
}

bool PatchJob::UnpackAndVerify() {
    Report("Unpackaging velk");
    // Whatever an earlier failed run left in the work folder is not the pack's.
    validator_.emplace(workFolder);
    validator_->NoteEarlierContents();
    if (!UnpackArchive(ShortPathOf(packPath), ShortPathOf(workFolder), trace,
                       [this] { return CancelRequested(); }) ||
        !VerifyPack())
        return false;
    ++position;
    return true;
}

bool PatchJob::VerifyPack() {
    const std::string packFolder = PackFolder(workFolder);
    Report("Verifying velk structure");
    if (!FolderExists(packFolder))
        return Invalid("Not a valid velk file.");
    Report("Verifying playlist");
    if (!FileExists(JoinPath(packFolder, std::string(PackLayout::kPlaylistScript))))
        return Invalid("Not a valid velk file.");
    Report("Verifying ssc");
    if (!FileExists(JoinPath(packFolder, std::string(PackLayout::kSoundScript))))
        return Invalid("Not a valid velk file.");
    for (int number = 1; number <= kSongCount; ++number) {
        const std::string song = SongFileName(number);
        Report("Verifying " + song);
        if (!FileExists(JoinPath(packFolder, song)))
            return Invalid(song + " is missing.");
    }
    if (!validator_)
        validator_.emplace(workFolder);
    validator_->SetThreads(jobs);
    // The layout of every song is checked here; that each decodes cleanly is checked by the
    // strict decode that follows, so every song is decoded once.
    const std::string refusal =
        validator_->Check(OggSongDepth::HeadersOnly, [this] { return CancelRequested(); });
    if (validator_->WasCancelled())
        return false;
    if (!refusal.empty())
        return Invalid(refusal);
    return !cancelled;
}

bool PatchJob::DecodeSongs() {
    if (jobs > 1)
        return DecodeSongsTogether();
    StartArchiveStream();
    for (int number = 1; number <= kSongCount; ++number) {
        if (!DecodeSong(number) || cancelled) {
            archiveStream_.reset(); // a decode that stops leaves no archive
            return false;
        }
        archiveStream_->SongDone(number - 1);
        ++position;
    }
    return true;
}

void PatchJob::StartArchiveStream() {
    std::vector<std::string> wavs;
    for (int number = 1; number <= kSongCount; ++number)
        wavs.push_back(JoinPath(PackFolder(workFolder), SongFileName(number, "wav")));
    archiveStream_.emplace(JoinPath(workFolder, "music.rfa"), std::move(wavs),
                           std::string(PackLayout::kGameArchiveFolder));
}

// One song on a worker, reported again while it decodes so that a Cancel stops it at once.
bool PatchJob::DecodeSong(int number) {
    const std::string song = SongFileName(number);
    const std::string songPath = JoinPath(PackFolder(workFolder), song);
    Report("Decoding " + song);
    WorkerPool pool(1, 1);
    pool.Run(
        [&](int) {
            OggDecoder decoder;
            decoder.stopFlag = &pool.StopFlag(0);
            decoder.strict = true;
            return decoder.decodeToWav(ShortPathOf(songPath));
        },
        [&] {
            Report("Decoding " + song);
            return cancelled;
        });
    if (pool.State(0) == WorkerPool::SlotState::Stopped) {
        // Stopped by a Cancel: as if it had come just before this song.
        RemoveFile(JoinPath(PackFolder(workFolder), SongFileName(number, "wav")));
        return false;
    }
    if (pool.State(0) != WorkerPool::SlotState::Done)
        return false;
    RemoveFile(songPath);
    return true;
}

bool PatchJob::DecodeSongsTogether() {
    const int first = position;
    std::string text = "Decoding " + SongFileName(1);
    Report(text);
    if (cancelled)
        return false;
    const std::string packFolder = PackFolder(workFolder);
    StartArchiveStream();
    WorkerPool pool(kSongCount, WorkerPool::UsefulThreads(jobs));
    pool.Run(
        [&](int slot) {
            OggDecoder decoder;
            decoder.stopFlag = &pool.StopFlag(slot);
            decoder.strict = true;
            if (!decoder.decodeToWav(ShortPathOf(JoinPath(packFolder, SongFileName(slot + 1)))))
                return false;
            archiveStream_->SongDone(slot);
            return true;
        },
        [&] {
            ReportDecoding(pool, first, text);
            return cancelled;
        });
    // Songs before the first failure (or the first song not decoded) count as decoded; the
    // failing song keeps what its decoder left; later songs go back to their .ogg alone.
    const int failed = pool.FirstFailed();
    const int decoded = failed >= 0 ? failed : pool.DonePrefix();
    for (int number = 1; number <= kSongCount; ++number) {
        if (number <= decoded)
            RemoveFile(JoinPath(packFolder, SongFileName(number)));
        else if (number > decoded + 1 || failed < 0)
            RemoveFile(JoinPath(packFolder, SongFileName(number, "wav")));
    }
    if (decoded < kSongCount) {
        archiveStream_.reset(); // a decode that stops leaves no archive
        position = first + decoded;
        return false;
    }
    // The last song's position as a serial decode ends it; the songs are all decoded, so a
    // cancel from here on is as one during the later steps.
    const std::string lastText = "Decoding " + SongFileName(kSongCount);
    if (position != first + kSongCount - 1 || text != lastText) {
        position = first + kSongCount - 1;
        Report(lastText);
    }
    position = first + kSongCount;
    return true;
}

// The bar counts decoded songs at the positions of a serial decode and never goes back; the
// status line names the first song still being decoded.
void PatchJob::ReportDecoding(const WorkerPool& pool, int first, std::string& text) {
    const int running = pool.FirstRunning();
    if (running >= 0)
        text = "Decoding " + SongFileName(running + 1);
    position = first + std::min(pool.DoneCount(), kSongCount - 1);
    Report(text);
}

bool PatchJob::PrepareUsFolder() {
    Report("Preparing velk Folder");
    ++position;
    const std::string usFolder = UsFolder(workFolder);
    if (!MoveNoReplace(PackFolder(workFolder), usFolder))
        return false;
    for (const std::string& script :
         {std::string(PackLayout::kPlaylistScript), std::string(PackLayout::kSoundScript)})
        if (!MoveNoReplace(JoinPath(usFolder, script), JoinPath(workFolder, script)))
            return false;
    return true;
}

// The streamed archive holds the sixteen songs; it is the folder's archive when the folder
// holds nothing else.
bool PatchJob::PackStreamedArchive() {
    if (!archiveStream_)
        return false;
    std::vector<std::string> expected;
    for (int number = 1; number <= kSongCount; ++number)
        expected.push_back(SongFileName(number, "wav"));
    const bool finished =
        RegularFilesOnly(UsFolder(workFolder)) == expected && archiveStream_->Finish();
    if (!finished)
        archiveStream_.reset();
    return finished;
}

// The songs are packed; removing their files takes a while, which the install's waits for
// the disk can hide. The job waits for it before it ends.
void PatchJob::RemoveSongFolder() {
    usFolderRemoval_ = std::jthread([usFolder = UsFolder(workFolder)] {
        try {
            DeleteFolderTree(usFolder);
        } catch (...) { // out of memory: the next run empties the work folder anyway
        }
    });
}

bool PatchJob::PackGameArchive() {
    Report("Finalizing Packages (this could take a min or so)...");
    ++position;
    const std::string usFolder = UsFolder(workFolder);
    if (PackStreamedArchive()) {
        RemoveSongFolder();
        return true;
    }
    FlatArchiveWriter writer;
    writer.sourceFolder = usFolder;
    writer.namePrefix = PackLayout::kGameArchiveFolder;
    // Hundreds of megabytes: written on a worker while the display keeps answering (a Cancel
    // has no effect any more). A file error is rethrown here, on the calling thread.
    bool written = false;
    WorkerPool pool(1, 1);
    pool.Run(
        [&](int) {
            written = writer.WriteArchive(JoinPath(workFolder, "music.rfa"));
            return true;
        },
        [&] {
            if (reporter)
                reporter->ReportStep("Finalizing Packages (this could take a min or so)...",
                                     position - 1);
            return false;
        });
    pool.RethrowFrom(0);
    RemoveSongFolder();
    return written;
}
