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
    }
    return {};
}
