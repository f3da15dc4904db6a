#pragma once
#include "common/Prompts.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// Records every message and dialog and answers dialogs from a script. A dialog with no
// scripted answer is cancelled.
class FakePrompts : public Prompts {
public:
    struct DialogCall {
        std::string kind; // "open", "save" or "folder"
        FileDialogOptions options;
        std::string title;
    };

    void Message(const std::string& text) override { messages.push_back(text); }
    bool OpenFile(const FileDialogOptions& options, std::string& path) override;
    bool SaveFile(const FileDialogOptions& options, std::string& path) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;

    // Scripted answers, taken in order; std::nullopt means the user cancels.
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> messages;
    std::vector<DialogCall> dialogs;

private:
    bool Answer(std::string& out);
};
