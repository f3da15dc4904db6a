#pragma once
#include "common/Prompts.h"
#include "common/WorkerPool.h"
#include "patcher/install/SongArchiveStream.h"
#include "patcher/install/StepReporter.h"
#include "patcher/pack/PackValidator.h"

#include <cstdio>
#include <optional>
#include <string>
#include <thread>

// The four steps of applying a music pack, run inside the work folder: unpack and verify the
// pack, decode its sixteen songs to WAV, move the scripts out of the song folder, and pack the
// songs into the work music.rfa. Each step returns false on failure; messages of their own
// (an invalid, incomplete or refused pack) go through Prompts, the caller shows the step's
// failure message. Nothing is cleaned up after a failure. Cancelling is looked at during the
// extraction and the pack's validation (between blocks), after the verifications and while
// the songs are decoded.
// The songs are decoded on worker threads (jobs) while the calling thread keeps reporting, so a
// Cancel stops the running decoders between reads. Whatever the number of threads, a failed or
// cancelled decode leaves the pack folder as decoding one song at a time would have left it
// when it stopped: the songs before the stop decoded, the ones after it untouched. Decoded
// songs go into the work music.rfa as they come (SongArchiveStream), which the last step
// finishes; an archive not finished is removed with the job. The packed song folder is removed
// in the background, and the job waits for that when it ends.
class PatchJob {
public:
    explicit PatchJob(Prompts& prompts) : prompts_(prompts) {}

    bool UnpackAndVerify();
    // The pack's folder, scripts and songs must exist, in that order; then PackValidator
    // checks the work folder: its message names what it refused.
    bool VerifyPack();
    bool DecodeSongs();
    bool PrepareUsFolder();
    bool PackGameArchive();

    int position = 0;                 // progress position of the next report (0 to 18)
    bool cancelled = false;           // the latest report's answer
    StepReporter* reporter = nullptr; // none: reports are skipped and cancelled stays as it is
    std::string packPath;
    std::string workFolder;
    std::FILE* trace = nullptr;              // the archive reader's trace lines, or none
    int jobs = WorkerPool::DefaultThreads(); // songs decoded at once; 1: one after another

private:
    void Report(const std::string& text);
    // Reports the latest step again, so that a Cancel is seen in the middle of long work.
    bool CancelRequested();
    bool DecodeSong(int number);
    bool DecodeSongsTogether();
    void ReportDecoding(const WorkerPool& pool, int first, std::string& text);
    bool Invalid(const std::string& message);

    void StartArchiveStream();
    bool PackStreamedArchive();
    void RemoveSongFolder();

    Prompts& prompts_;
    std::string lastText_;
    std::optional<SongArchiveStream> archiveStream_;
    std::jthread usFolderRemoval_; // last: joined before anything else goes
    std::optional<PackValidator> validator_;
};
