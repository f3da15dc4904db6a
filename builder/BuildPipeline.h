#pragma once
#include "platform/FileResult.h"
#include <array>
#include <cstdint>
#include <optional>
#include <string>

class Progress;
class Prompts;
class SongProject;
class WorkerPool;

// Turns a project of sixteen valid slots into a .velk music pack: scripts and encoded songs
// (each cut to its slot's trim and faded; whether a trim fits is checked before a build)
// in the work folder velk_work, packed into release.velk, then copied to the destination.
// Talks to the user only through the given Prompts and Progress. Every failure shows its
// message and stops at once; nothing is rolled back, the next build empties the work folder.
// A build holds a lock on the work folder (velk_work.lock beside it), so a second Korvane is
// refused with a message instead of emptying the first one's folder. The pack reaches the
// destination through a flushed temporary file and one rename: the destination holds the
// old file or the whole pack, never a part.
// A write error in a script after its file was opened throws FileError (the progress
// display is closed as it passes).
// The songs are encoded on worker threads (SetJobs) while the calling thread keeps pumping the
// progress display, so a Cancel is seen within about a tenth of a second and stops the running
// encoders between blocks. Whatever the number of threads, the pack, the messages and what a
// failed or cancelled build leaves in the work folder are those of a build one song at a time.
class BuildPipeline {
public:
    // baseFolder holds velk_work and release.velk (beside the program, or a test's folder).
    BuildPipeline(Prompts& prompts, Progress& progress, std::string baseFolder);

    // Asks for the destination in a save dialog, then builds. True only when the pack
    // reached the destination; a cancelled dialog touches nothing and yields false.
    bool BuildMusicPack(const SongProject& project);
    // Builds to a destination chosen beforehand (the command line). Same result. Refuses
    // with a message, touching nothing, a destination that is a link, a folder, a device or
    // another non-regular file, or one of the project's own files (its songs, its file).
    bool BuildMusicPackTo(const SongProject& project, const std::string& destination);

    // Deletes and re-creates the work folder. Fails (with the cause) when it cannot be created;
    // shows nothing.
    FileResult PrepareWorkFolder();
    // Packs the work folder into the release file and copies that to the destination. False
    // when no complete release file was made; true otherwise, also when the copy failed
    // (shown as "Unable to move released file"; the build then ends without "Done!").
    // Delivered() tells whether the copy worked.
    bool PackageRelease(const std::string& destination);
    // Position, then text, then a pump of pending input; yields the cancelled flag.
    bool ReportStep(const std::string& text, int position);

    // Songs encoded at once: 1 (one after another) to 16, never more than the cores; the
    // default is one per core.
    void SetJobs(int jobs);
    // Draws every song's serial number from this seed instead of the time (for tests).
    void SetSerialSeed(unsigned seed) { serialSeed_ = seed; }

    std::string WorkFolder() const;
    std::string ReleaseFile() const;
    bool Delivered() const { return delivered_; }

private:
    bool DestinationAllowed(const SongProject& project, const std::string& destination);
    using SerialNumbers = std::array<std::int32_t, 16>;
    // Which step of a song failed, and the system's cause when it was a file step.
    struct TrackFailure {
        enum class Step { None, Copy, Encode, Delete } step = Step::None;
        std::string cause;
    };

    bool RunSteps(const SongProject& project);
    SerialNumbers DrawSerialNumbers() const;
    bool BuildTrack(const SongProject& project, int number, std::int32_t serial);
    bool BuildTracksTogether(const SongProject& project, const SerialNumbers& serials);
    bool BuildTrackOnWorker(const SongProject& project, int number, std::int32_t serial,
                            WorkerPool& pool, TrackFailure& failure) const;
    bool ReportTracks(const WorkerPool& pool, int& shown, std::string& text);
    void ShowFailure(int number, const TrackFailure& failure, const SongProject& project);
    void DiscardTracksAfter(int number) const;

    Prompts& prompts_;
    Progress& progress_;
    std::string baseFolder_;
    bool delivered_ = false;
    int jobs_;
    std::optional<unsigned> serialSeed_;
};
