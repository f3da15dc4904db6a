#include "tests/support/FakePrompts.h"

bool FakePrompts::Answer(std::string& out) {
    if (answers.empty())
        return false;
    auto answer = answers.front();
    answers.pop_front();
    if (!answer)
        return false;
    out = *answer;
    return true;
}

bool FakePrompts::OpenFile(const FileDialogOptions& options, std::string& path) {
    dialogs.push_back({"open", options, {}});
    return Answer(path);
}

bool FakePrompts::SaveFile(const FileDialogOptions& options, std::string& path) {
    dialogs.push_back({"save", options, {}});
    return Answer(path);
}

bool FakePrompts::BrowseFolder(const std::string& title, std::string& folder) {
    dialogs.push_back({"folder", {}, title});
    return Answer(folder);
}
