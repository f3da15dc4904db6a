#include "import/ImportProblem.h"

std::string ImportProblemText(ImportProblem problem, const std::string& source) {
    const std::string head = "Cannot import " + source + ": ";
    switch (problem) {
    case ImportProblem::None:
        return {};
    case ImportProblem::Unreadable:
        return head + "the file cannot be read.";
    case ImportProblem::NotAudio:
        return head + "not an audio file.";
    case ImportProblem::Unsupported:
        return head + "unsupported format.";
    case ImportProblem::Damaged:
        return head + "the file is damaged.";
    case ImportProblem::Empty:
        return head + "the file is empty (no samples at all).";
    case ImportProblem::TooLong:
        return head + "longer than 30 minutes.";
    case ImportProblem::TagsTooLarge:
        return head + "its tags are larger than 16 MB.";
    case ImportProblem::CannotWrite:
        return head + "the converted song could not be written.";
    case ImportProblem::Cancelled:
        return head + "cancelled.";
    case ImportProblem::Fragmented:
        return head + "it is a fragmented MP4 file, which Korvane does not read. Convert it to "
                      "FLAC or MP3 first.";
    case ImportProblem::Protected:
        return head + "it is a protected (DRM) file, which only the store's own player can play.";
    case ImportProblem::AppleLossless:
        return head + "it is Apple Lossless (ALAC), which Korvane does not decode. Convert it to "
                      "FLAC first.";
    case ImportProblem::WmaNeedsWindows:
        return head + "WMA files need the Windows edition of Korvane. Convert it to FLAC or MP3 "
                      "first.";
    case ImportProblem::WmaNeedsMediaFoundation:
        return head + "WMA files need Windows Media Foundation, which this Windows lacks. Install "
                      "the Media Feature Pack, or convert the file to FLAC or MP3.";
    }
    return {};
}
