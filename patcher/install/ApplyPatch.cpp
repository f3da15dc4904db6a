#include "patcher/install/ApplyPatch.h"

#include "common/ProgressCloser.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/InstalledPackRecord.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "patcher/install/PatchJob.h"
#include "patcher/install/ProgressReporter.h"
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

bool ApplyPatch(const std::string& gameFolder, const std::string& packPath,
                const std::string& baseFolder, Prompts& prompts, Progress& progress,
                std::FILE* trace, int jobs) {
    FolderLock gameLock;
    if (GameFolderExists(gameFolder) && !BeginGameChange(gameFolder, prompts, gameLock))
        return false;
    if (!BackupsComplete(gameFolder)) {
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
    if (!BuildPatchedDefaultCon(gameFolder, job.workFolder, prompts) ||
        !InstallPatchedFiles(gameFolder, job.workFolder, prompts))
        return false;
    InstalledPackRecord::Write(gameFolder, packPath); // without it the pack shows as unknown
    progress.Hide();
    prompts.Inform("Patching Is Done!");
    return true;
}
