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
    FileDialogOptions start;
    start.initialFolder = folder; // where the dialog opens
    dialogs.push_back({"folder", start, title});
    return Answer(folder);
}

void FakePrompts::Inform(const std::string& text) {
    information.push_back(text);
    messages.push_back(text);
}

bool FakePrompts::InformWithOffer(const std::string& text, const std::string& offer) {
    Inform(text);
    offers.push_back(offer);
    if (offerAnswers.empty())
        return false;
    const bool taken = offerAnswers.front();
    offerAnswers.pop_front();
    return taken;
}

Prompts::SaveChoice FakePrompts::AskToSave(const std::string& question) {
    saveQuestions.push_back(question);
    if (saveAnswers.empty())
        return SaveChoice::Cancel;
    const SaveChoice choice = saveAnswers.front();
    saveAnswers.pop_front();
    return choice;
}

Prompts::Answer FakePrompts::Ask(const std::string& question, Buttons buttons) {
    questions.push_back(question);
    questionButtons.push_back(buttons);
    if (questionAnswers.empty())
        return Prompts::Answer::Cancel;
    const Prompts::Answer answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

bool FakePrompts::OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) {
    dialogs.push_back({"open many", options, {}});
    if (fileListAnswers.empty())
        return false;
    auto answer = fileListAnswers.front();
    fileListAnswers.pop_front();
    if (!answer)
        return false;
    paths = *answer;
    return true;
}
