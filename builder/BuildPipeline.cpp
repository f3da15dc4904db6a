#include "builder/BuildPipeline.h"

#include "archive/FlatArchiveWriter.h"
#include "audio/TrackEncodeJob.h"
#include "builder/GameScripts.h"
#include "builder/SlotLabels.h"
#include "builder/SongProject.h"
#include "common/DeleteFolderTree.h"
#include "common/FileOps.h"
#include "common/FolderLock.h"
#include "common/Progress.h"
#include "common/ProgressCloser.h"
#include "common/Prompts.h"
#include "common/SafeFile.h"
#include "common/ShortPathOf.h"

#include <filesystem>

namespace {

constexpr int kLastPosition = 36; // never reported, so the display never shows 100 %
constexpr int kPackagingPosition = 35;

bool SameFile(const std::string& one, const std::string& other) {
    std::error_code error;
    return std::filesystem::equivalent(one, other, error) && !error;
}

std::string TrackName(int number, const char* extension) {
    return "music" + NumberLabel(number) + extension;
}

} // namespace

BuildPipeline::BuildPipeline(Prompts& prompts, Progress& progress, std::string baseFolder)
    : prompts_(prompts), progress_(progress), baseFolder_(std::move(baseFolder)) {}

std::string BuildPipeline::WorkFolder() const {
    return JoinPath(baseFolder_, "velk_work");
}

std::string BuildPipeline::ReleaseFile() const {
    return JoinPath(baseFolder_, "release.velk");
}

bool BuildPipeline::BuildMusicPack(const SongProject& project) {
    FileDialogOptions options{"VELK Files (*.velk)|*.velk||", "velk", "myvelk.velk"};
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
    if (!PrepareWorkFolder()) {
        prompts_.Message("Unable to create/empty work folder");
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

bool BuildPipeline::PrepareWorkFolder() {
    DeleteFolderTree(WorkFolder());
    return CreateFolder(WorkFolder());
}

bool BuildPipeline::RunSteps(const SongProject& project) {
    ReportStep("Creating Playlist", 1);
    if (!project.WritePlaylistScript(JoinPath(WorkFolder(), "playlists.con"))) {
        prompts_.Message("Unable to create playlists.con file.");
        return false;
    }
    ReportStep("Creating ssc", 2);
    if (!WriteSoundScript(JoinPath(WorkFolder(), "US.ssc"))) {
        prompts_.Message("Unable to create US.ssc file.");
        return false;
    }
    for (int number = 1; number <= SongProject::kSlotCount; ++number) {
        if (!BuildTrack(project, number))
            return false;
    }
    return true;
}

bool BuildPipeline::BuildTrack(const SongProject& project, int number) {
    const std::string workCopy = JoinPath(WorkFolder(), TrackName(number, ".wav"));
    if (ReportStep("Creating " + TrackName(number, ".wav"), 2 * number + 1))
        return false;
    const std::string& source = project.SlotAt(number).path();
    if (!CopyFileReplacing(source, workCopy)) {
        prompts_.Message("Unable to copy file: " + source);
        return false;
    }
    if (ReportStep("Encoding " + TrackName(number, ".wav"), 2 * number + 2))
        return false;
    TrackEncodeJob job;
    job.qualityStep = project.quality();
    if (!job.Run(ShortPathOf(workCopy))) {
        prompts_.Message(TrackName(number, ".ogg") + " could not be encoded.");
        return false;
    }
    if (!RemoveFile(workCopy)) {
        prompts_.Message("Error deleting temporary " + TrackName(number, ".wav"));
        return false;
    }
    return true;
}

bool BuildPipeline::PackageRelease(const std::string& destination) {
    delivered_ = false;
    const std::string release = ReleaseFile();
    // A release file left by an earlier build must not pass for this build's pack.
    RemoveFile(release);
    FlatArchiveWriter writer;
    writer.sourceFolder = ShortPathOf(WorkFolder());
    writer.namePrefix = "velk";
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
        prompts_.Message("Unable to move released file");
    }
    return true;
}

bool BuildPipeline::ReportStep(const std::string& text, int position) {
    progress_.SetPosition(position);
    progress_.SetText(text);
    return progress_.Pump(true);
}
