#pragma once
#include "common/Prompts.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// Records every message, question and dialog and answers them from a script. A dialog with no
// scripted answer is cancelled, a save question with none is cancelled, and an offer with
// none is declined. Success messages land in `messages` too, and also in `information`.
class FakePrompts : public Prompts {
public:
    struct DialogCall {
        std::string kind; // "open", "open many", "save" or "folder"
        FileDialogOptions options;
        std::string title;
    };

    void Message(const std::string& text) override { messages.push_back(text); }
    // The message goes through Message (so a double that watches messages sees it), its
    // details land in `details` (as they would be shown).
    void MessageWithDetails(const std::string& text, const std::string& cause) override {
        details.push_back(cause);
        Message(text);
    }
    bool OpenFile(const FileDialogOptions& options, std::string& path) override;
    bool SaveFile(const FileDialogOptions& options, std::string& path) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;
    void Inform(const std::string& text) override;
    bool InformWithOffer(const std::string& text, const std::string& offer) override;
    SaveChoice AskToSave(const std::string& question) override;
    bool CanAsk() const override { return canAsk; }
    Prompts::Answer Ask(const std::string& question, Buttons buttons) override;
    bool OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) override;

    // Scripted answers, taken in order; std::nullopt means the user cancels.
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> messages;
    std::vector<std::string> details; // of MessageWithDetails, in order
    std::vector<DialogCall> dialogs;
    std::vector<std::string> information; // the success messages among `messages`
    std::vector<std::string> offers;      // the follow-up offered with a success message
    std::deque<bool> offerAnswers;
    std::vector<std::string> saveQuestions;
    std::deque<SaveChoice> saveAnswers;
    // Questions of Ask, and their answers in order; with none left the user cancels.
    std::vector<std::string> questions;
    std::vector<Buttons> questionButtons;
    std::deque<Prompts::Answer> questionAnswers;
    bool canAsk = true; // false: a command line without a terminal
    // Answers of "open many" dialogs; std::nullopt means the user cancels.
    std::deque<std::optional<std::vector<std::string>>> fileListAnswers;

private:
    bool Answer(std::string& out);
};
