#include "builder/BuildPipeline.h"

#include "archive/FlatArchiveWriter.h"
#include "audio/TrackEncodeJob.h"
#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "common/DeleteFolderTree.h"
#include "common/PackLayout.h"
#include "common/Progress.h"
#include "common/ProgressCloser.h"
#include "common/Prompts.h"
#include "common/WorkerPool.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "platform/NativePath.h"
#include "platform/SafeFile.h"
#include "platform/ShortPathOf.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace {

constexpr int kLastPosition = 36; // never reported, so the display never shows 100 %
constexpr int kPackagingPosition = 35;

bool SameFile(const std::string& one, const std::string& other) {
    std::error_code error;
    return std::filesystem::equivalent(NativePath(one), NativePath(other), error) && !error;
}

constexpr int kLastSongPosition = 34;
// The steps of a song on a worker, for the progress display.
constexpr int kCopyingStep = 1;
constexpr int kEncodingStep = 2;

bool EncodeWorkCopy(const std::string& workCopy, const SongTrim& trim, std::int32_t quality,
                    std::int32_t serial, const std::atomic<bool>& stop) {
    TrackEncodeJob job;
    job.trim = trim;
    job.qualityStep = quality;
    job.serialNumber = serial;
    job.stopFlag = &stop;
    return job.Run(ShortPathOf(workCopy));
}

} // namespace

BuildPipeline::BuildPipeline(Prompts& prompts, Progress& progress, std::string baseFolder)
    : prompts_(prompts), progress_(progress), baseFolder_(std::move(baseFolder)),
      jobs_(WorkerPool::DefaultThreads()) {}

void BuildPipeline::SetJobs(int jobs) {
    jobs_ = std::clamp(jobs, 1, SongProject::kSlotCount);
}

std::string BuildPipeline::WorkFolder() const {
    return JoinPath(baseFolder_, "velk_work");
}

std::string BuildPipeline::ReleaseFile() const {
    return JoinPath(baseFolder_, "release.velk");
}

bool BuildPipeline::BuildMusicPack(const SongProject& project) {
    FileDialogOptions options{"VELK Files (*.velk)|*.velk||", "velk", "myvelk.velk", "",
                              "Save the Music Pack As"};
    std::string destination;
    if (!prompts_.SaveFile(options, destination))
        return false;
    return BuildMusicPackTo(project, destination);
}

bool BuildPipeline::BuildMusicPackTo(const SongProject& project, const std::string& destination) {
    delivered_ = false;
    if (!DestinationAllowed(project, destination))
        return false;
    FolderLock lock;
    if (lock.LockFile(WorkFolder() + ".lock") == FolderLock::Result::HeldByAnother) {
        prompts_.Message("Another Korvane is working with the work folder " + WorkFolder() +
                         ". Wait until it has finished, then try again.");
        return false;
    }
    if (const FileResult prepared = PrepareWorkFolder(); !prepared) {
        prompts_.MessageWithDetails("Unable to create/empty work folder",
                                    prepared.Error().Describe());
        return false;
    }
    ProgressCloser closer(progress_);
    progress_.Open("Building...Please Wait...", false);
    progress_.SetRange(0, kLastPosition, 1);
    if (!RunSteps(project))
        return false;

    ReportStep("Packaging...", kPackagingPosition); // a cancel here no longer stops the build
    if (PackageRelease(destination) && delivered_) {
        progress_.Hide();
        prompts_.Inform("Done!");
    }
    return delivered_;
}

bool BuildPipeline::DestinationAllowed(const SongProject& project, const std::string& destination) {
    if (!IsReplaceable(destination)) {
        prompts_.Message("Unable to write the music pack to " + destination +
                         ": it is a folder, a link, a device or another special file. Choose "
                         "a regular file name.");
        return false;
    }
    bool ownFile = !project.path().empty() && SameFile(project.path(), destination);
    for (int number = 1; number <= SongProject::kSlotCount && !ownFile; ++number)
        ownFile = SameFile(project.SlotAt(number).path(), destination);
    if (ownFile) {
        prompts_.Message("Unable to write the music pack to " + destination +
                         ": it is one of the project's own files. Choose another file name.");
        return false;
    }
    return true;
}

FileResult BuildPipeline::PrepareWorkFolder() {
    DeleteFolderTree(WorkFolder());
    return CreateFolder(WorkFolder());
}

bool BuildPipeline::RunSteps(const SongProject& project) {
    ReportStep("Creating Playlist", 1);
    if (!project.WritePlaylistScript(
            JoinPath(WorkFolder(), std::string(PackLayout::kPlaylistScript)))) {
        prompts_.Message("Unable to create playlists.con file.");
        return false;
    }
    ReportStep("Creating ssc", 2);
    if (!WriteSoundScript(JoinPath(WorkFolder(), std::string(PackLayout::kSoundScript)))) {
        prompts_.Message("Unable to create US.ssc file.");
        return false;
    }
    const SerialNumbers serials = DrawSerialNumbers();
    if (jobs_ > 1)
        return BuildTracksTogether(project, serials);
    for (int number = 1; number <= SongProject::kSlotCount; ++number) {
        if (!BuildTrack(project, number, serials[static_cast<std::size_t>(number - 1)]))
            return false;
    }
    return true;
}

// All on this thread before any encoder starts: the C generator is process-wide state.
BuildPipeline::SerialNumbers BuildPipeline::DrawSerialNumbers() const {
    SerialNumbers serials{};
    for (auto& serial : serials)
        serial = TrackEncodeJob::SerialNumberFor(
            serialSeed_.value_or(static_cast<unsigned>(std::time(nullptr))));
    return serials;
}

bool BuildPipeline::BuildTrack(const SongProject& project, int number, std::int32_t serial) {
    const std::string workCopy = JoinPath(WorkFolder(), PackLayout::SongFileName(number, "wav"));
    if (ReportStep("Creating " + PackLayout::SongFileName(number, "wav"), 2 * number + 1))
        return false;
    if (const FileResult copied = CopyFileReplacing(project.SlotAt(number).path(), workCopy);
        !copied) {
        ShowFailure(number, {TrackFailure::Step::Copy, copied.Error().Describe()}, project);
        return false;
    }
    if (ReportStep("Encoding " + PackLayout::SongFileName(number, "wav"), 2 * number + 2))
        return false;
    // Encoded on a worker so that the display keeps answering; a Cancel stops the encoder.
    WorkerPool pool(1, 1);
    pool.Run(
        [&](int) {
            return EncodeWorkCopy(workCopy, project.SlotAt(number).trim(), project.quality(),
                                  serial, pool.StopFlag(0));
        },
        [&] { return progress_.Pump(true); });
    if (pool.State(0) == WorkerPool::SlotState::Stopped) {
        // As a cancel seen at this step: the work copy stays, no partial track does.
        RemoveFile(JoinPath(WorkFolder(), PackLayout::SongFileName(number, "ogg")));
        return false;
    }
    if (pool.State(0) != WorkerPool::SlotState::Done) {
        pool.RethrowFrom(0);
        ShowFailure(number, {TrackFailure::Step::Encode, ""}, project);
        return false;
    }
    if (const FileResult removed = RemoveFile(workCopy); !removed) {
        ShowFailure(number, {TrackFailure::Step::Delete, removed.Error().Describe()}, project);
        return false;
    }
    return true;
}

bool BuildPipeline::BuildTracksTogether(const SongProject& project, const SerialNumbers& serials) {
    int shown = 3;
    std::string text = "Creating " + PackLayout::SongFileName(1, "wav");
    if (ReportStep(text, shown))
        return false;
    WorkerPool pool(SongProject::kSlotCount, WorkerPool::UsefulThreads(jobs_));
    std::array<TrackFailure, SongProject::kSlotCount> failures{}; // each written by its worker
    pool.Run(
        [&](int slot) {
            const auto index = static_cast<std::size_t>(slot);
            return BuildTrackOnWorker(project, slot + 1, serials[index], pool, failures[index]);
        },
        [&] { return ReportTracks(pool, shown, text); });

    const int failed = pool.FirstFailed();
    if (failed >= 0) {
        // The first failing song in list order speaks, as it would have one song at a time;
        // what the songs after it did is removed.
        DiscardTracksAfter(failed + 1);
        pool.RethrowFrom(failed);
        ShowFailure(failed + 1, failures[static_cast<std::size_t>(failed)], project);
        return false;
    }
    const int done = pool.DonePrefix();
    if (done < SongProject::kSlotCount) {
        DiscardTracksAfter(done);
        return false;
    }
    // The last song's position as a serial build ends it; a cancel from here on is as one
    // during packaging.
    const std::string lastText =
        "Encoding " + PackLayout::SongFileName(SongProject::kSlotCount, "wav");
    if (shown != kLastSongPosition || text != lastText)
        ReportStep(lastText, kLastSongPosition);
    return true;
}

bool BuildPipeline::BuildTrackOnWorker(const SongProject& project, int number, std::int32_t serial,
                                       WorkerPool& pool, TrackFailure& failure) const {
    const int slot = number - 1;
    const std::string workCopy = JoinPath(WorkFolder(), PackLayout::SongFileName(number, "wav"));
    pool.SetStep(slot, kCopyingStep);
    if (const FileResult copied = CopyFileReplacing(project.SlotAt(number).path(), workCopy);
        !copied) {
        failure = {TrackFailure::Step::Copy, copied.Error().Describe()};
        return false;
    }
    if (pool.StopFlag(slot).load())
        return false;
    pool.SetStep(slot, kEncodingStep);
    if (!EncodeWorkCopy(workCopy, project.SlotAt(number).trim(), project.quality(), serial,
                        pool.StopFlag(slot))) {
        failure = {TrackFailure::Step::Encode, ""};
        return false;
    }
    if (const FileResult removed = RemoveFile(workCopy); !removed) {
        failure = {TrackFailure::Step::Delete, removed.Error().Describe()};
        return false;
    }
    return true;
}

// The bar counts finished songs at the positions of a serial build and never goes back; the
// status line names the first song still in progress.
bool BuildPipeline::ReportTracks(const WorkerPool& pool, int& shown, std::string& text) {
    const int running = pool.FirstRunning();
    if (running >= 0) {
        const bool encoding = pool.Step(running) == kEncodingStep;
        const int position = 2 * pool.DoneCount() + (encoding ? 4 : 3);
        shown = std::clamp(position, shown, kLastSongPosition);
        text =
            (encoding ? "Encoding " : "Creating ") + PackLayout::SongFileName(running + 1, "wav");
    }
    return ReportStep(text, shown);
}

void BuildPipeline::ShowFailure(int number, const TrackFailure& failure,
                                const SongProject& project) {
    switch (failure.step) {
    case TrackFailure::Step::Copy:
        prompts_.MessageWithDetails("Unable to copy file: " + project.SlotAt(number).path(),
                                    failure.cause);
        break;
    case TrackFailure::Step::Encode:
    case TrackFailure::Step::None:
        prompts_.Message(PackLayout::SongFileName(number, "ogg") + " could not be encoded.");
        break;
    case TrackFailure::Step::Delete:
        prompts_.MessageWithDetails(
            "Error deleting temporary " + PackLayout::SongFileName(number, "wav"), failure.cause);
        break;
    }
}

// Leaves the work folder as a build one song at a time would have left it when it stopped
// after this song: nothing of a later song.
void BuildPipeline::DiscardTracksAfter(int number) const {
    for (int later = number + 1; later <= SongProject::kSlotCount; ++later) {
        for (const char* extension : {"wav", "ogg"}) {
            const std::string path =
                JoinPath(WorkFolder(), PackLayout::SongFileName(later, extension));
            if (FileExists(path))
                RemoveFile(path);
        }
    }
}

bool BuildPipeline::PackageRelease(const std::string& destination) {
    delivered_ = false;
    const std::string release = ReleaseFile();
    // A release file left by an earlier build must not pass for this build's pack.
    RemoveFile(release);
    FlatArchiveWriter writer;
    writer.sourceFolder = ShortPathOf(WorkFolder());
    writer.namePrefix = PackLayout::kPackFolder;
    const bool written = writer.WriteArchive(release);
    const auto length = FileLength(release);
    if (!written || !length || *length == 0)
        return false;

    DeleteFolderTree(WorkFolder());
    if (SameFile(release, destination)) {
        delivered_ = true; // copying a file onto itself would empty it
        return true;
    }
    SafeFile delivery(destination);
    if (delivery.CopyFrom(release) && delivery.Commit()) {
        RemoveFile(release);
        delivered_ = true;
    } else {
        prompts_.MessageWithDetails("Unable to move released file", delivery.Error().Describe());
    }
    return true;
}

bool BuildPipeline::ReportStep(const std::string& text, int position) {
    progress_.SetPosition(position);
    progress_.SetText(text);
    return progress_.Pump(true);
}
