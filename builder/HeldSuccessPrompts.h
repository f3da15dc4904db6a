#pragma once
#include "common/Prompts.h"

#include <string>

// Passes everything on to the given prompts except success messages, which it keeps, so the
// caller can show them once the work is over, with what it knows about the result.
// Fails the way the wrapped prompts fail.
class HeldSuccessPrompts : public Prompts {
public:
    explicit HeldSuccessPrompts(Prompts& shown) : shown_(shown) {}

    void Message(const std::string& text) override { shown_.Message(text); }
    void MessageWithDetails(const std::string& text, const std::string& details) override {
        shown_.MessageWithDetails(text, details);
    }
    bool OpenFile(const FileDialogOptions& options, std::string& path) override {
        return shown_.OpenFile(options, path);
    }
    bool SaveFile(const FileDialogOptions& options, std::string& path) override {
        return shown_.SaveFile(options, path);
    }
    bool BrowseFolder(const std::string& title, std::string& folder) override {
        return shown_.BrowseFolder(title, folder);
    }
    bool OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) override {
        return shown_.OpenFiles(options, paths);
    }
    SaveChoice AskToSave(const std::string& question) override {
        return shown_.AskToSave(question);
    }
    bool CanAsk() const override { return shown_.CanAsk(); }
    Answer Ask(const std::string& question, Buttons buttons) override {
        return shown_.Ask(question, buttons);
    }
    void Inform(const std::string& text) override { held_ = text; }

    // The last success message kept back; empty when there was none.
    const std::string& Held() const { return held_; }

private:
    Prompts& shown_;
    std::string held_;
};
