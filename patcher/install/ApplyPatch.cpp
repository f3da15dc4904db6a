#include "patcher/install/ApplyPatch.h"

#include "common/ProgressCloser.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/InstalledPackRecord.h"
#include "patcher/install/PatchInstall.h"
#include "patcher/install/PatchJob.h"
#include "patcher/install/ProgressReporter.h"
#include "patcher/install/WorkFolderPaths.h"
#include "platform/FolderLock.h"

namespace {

struct JobStep {
    bool (PatchJob::*run)();
    const char* failureMessage;
};

const JobStep kJobSteps[] = {
    {&PatchJob::UnpackAndVerify, "Error Unpacking VELK File."},
    {&PatchJob::DecodeSongs, "Error Decoding Oggs."},
    {&PatchJob::PrepareUsFolder, "Renaming And Preparing."},
    {&PatchJob::PackGameArchive, "Error Packing Up Music."},
};

} // namespace

bool ApplyPatch(const GameFolder& game, const std::string& packPath, const std::string& baseFolder,
                Prompts& prompts, Progress& progress, std::FILE* trace, int jobs) {
    FolderLock gameLock;
    if (game.Exists() && !BeginGameChange(game, prompts, gameLock))
        return false;
    SystemError heldBy;
    switch (game.CheckBackups(&heldBy)) {
    case BackupState::Complete:
        break;
    case BackupState::Held:
        prompts.MessageWithDetails(HeldBackupMessage(heldBy.path), heldBy.Describe());
        return false;
    default:
        prompts.Message("Back up your originals first.");
        return false;
    }
    PatchJob job(prompts);
    ProgressCloser closer(progress);
    bool opened = progress.Open("Patching..Please Wait...", false);
    if (opened)
        progress.SetRange(0, 19, 1);
    ProgressReporter reporter(opened ? &progress : nullptr);
    job.reporter = &reporter;
    job.workFolder = WorkFolderIn(baseFolder);
    job.packPath = packPath;
    job.trace = trace;
    if (jobs > 0)
        job.jobs = jobs;
    for (const auto& step : kJobSteps) {
        if (!(job.*step.run)()) {
            prompts.Message(step.failureMessage);
            // Nothing of a refused or abandoned pack stays behind for a later run to meet.
            if (step.run == &PatchJob::UnpackAndVerify || job.cancelled)
                PrepareWorkFolder(baseFolder, prompts);
            return false;
        }
    }
    reporter.ReportStep("Patching...", 18);
    if (!BuildPatchedDefaultCon(game, job.workFolder, prompts) ||
        !InstallPatchedFiles(game, job.workFolder, prompts))
        return false;
    InstalledPackRecord::Write(game, packPath); // without it the pack shows as unknown
    progress.Hide();
    prompts.Inform("Patching Is Done!");
    return true;
}
