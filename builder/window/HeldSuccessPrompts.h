#pragma once
#include "common/Prompts.h"

#include <string>

// Passes everything on to the window's prompts except success messages, which it keeps, so
// the window can show them once the work is over, with what it knows about the result.
// Fails the way the wrapped prompts fail.
class HeldSuccessPrompts : public Prompts {
public:
    explicit HeldSuccessPrompts(Prompts& shown) : shown_(shown) {}

    void Message(const std::string& text) override { shown_.Message(text); }
    bool OpenFile(const FileDialogOptions& options, std::string& path) override {
        return shown_.OpenFile(options, path);
    }
    bool SaveFile(const FileDialogOptions& options, std::string& path) override {
        return shown_.SaveFile(options, path);
    }
    bool BrowseFolder(const std::string& title, std::string& folder) override {
        return shown_.BrowseFolder(title, folder);
    }
    void Inform(const std::string& text) override { held_ = text; }

    // The last success message kept back; empty when there was none.
    const std::string& Held() const { return held_; }

private:
    Prompts& shown_;
    std::string held_;
};
