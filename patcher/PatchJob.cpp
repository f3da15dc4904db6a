#include "patcher/PatchJob.h"

#include "archive/FlatArchiveWriter.h"
#include "archive/UnpackArchive.h"
#include "audio/OggDecoder.h"
#include "common/DeleteFolderTree.h"
#include "common/FileOps.h"
#include "common/ShortPathOf.h"
#include "patcher/PatcherPaths.h"

#include <cstdio>

namespace {

std::string SongFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "music%.2d.ogg", number);
    return name;
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
    if (!FileExists(JoinPath(packFolder, "playlists.con")))
        return Invalid("Not a valid velk file.");
    Report("Verifying ssc");
    if (!FileExists(JoinPath(packFolder, "US.ssc")))
        return Invalid("Not a valid velk file.");
    for (int number = 1; number <= 16; ++number) {
        const std::string song = SongFileName(number);
        Report("Verifying " + song);
        if (!FileExists(JoinPath(packFolder, song)))
            return Invalid(song + " is missing.");
    }
    if (!validator_)
        validator_.emplace(workFolder);
    const std::string refusal =
        validator_->Check(OggSongDepth::DecodeEverySong, [this] { return CancelRequested(); });
    if (validator_->WasCancelled())
        return false;
    if (!refusal.empty())
        return Invalid(refusal);
    return !cancelled;
}

bool PatchJob::DecodeSongs() {
    const std::string packFolder = PackFolder(workFolder);
    for (int number = 1; number <= 16; ++number) {
        const std::string song = SongFileName(number);
        Report("Decoding " + song);
        const std::string songPath = JoinPath(packFolder, song);
        OggDecoder decoder;
        if (!decoder.decodeToWav(ShortPathOf(songPath)))
            return false;
        RemoveFile(songPath);
        if (cancelled)
            return false;
        ++position;
    }
    return true;
}

bool PatchJob::PrepareUsFolder() {
    Report("Preparing velk Folder");
    ++position;
    const std::string usFolder = UsFolder(workFolder);
    if (!MoveNoReplace(PackFolder(workFolder), usFolder))
        return false;
    for (const char* script : {"playlists.con", "US.ssc"})
        if (!MoveNoReplace(JoinPath(usFolder, script), JoinPath(workFolder, script)))
            return false;
    return true;
}

bool PatchJob::PackGameArchive() {
    Report("Finalizing Packages (this could take a min or so)...");
    ++position;
    const std::string usFolder = UsFolder(workFolder);
    FlatArchiveWriter writer;
    writer.sourceFolder = usFolder;
    writer.namePrefix = "music/US";
    bool written = writer.WriteArchive(JoinPath(workFolder, "music.rfa"));
    DeleteFolderTree(usFolder);
    return written;
}
