#pragma once
#include <string>
#include <vector>

// What a file dialog is asked for. The filter uses the "Name (*.ext)|*.ext||" form.
struct FileDialogOptions {
    std::string filter;
    std::string defaultExtension; // added when the user types a name without one
    std::string initialFileName;
    std::string initialFolder = {}; // where the dialog opens; empty: the dialog's own choice
    std::string title = {};         // what the dialog is for; empty: the system's own caption
};

// How pipelines and handlers talk to the user: modal messages and the standard dialogs.
// Implemented by the Qt windows, by the console front end and by the tests' recording double.
// Only Message and the three dialogs must be implemented; the rest fall back on them, so a
// front end without questions (the command line) never blocks and never loses data.
class Prompts {
public:
    enum class SaveChoice { Save, Discard, Cancel };
    enum class Buttons { RetryCancel, YesNo, YesNoCancel };
    enum class Answer { Yes, No, Retry, Cancel };

    virtual ~Prompts() = default;

    // A modal message with an OK button, captioned with the program's name: a refusal or a
    // failure (warning icon).
    virtual void Message(const std::string& text) = 0;
    // Open dialog (read-only box hidden). False when the user cancels; path untouched then.
    virtual bool OpenFile(const FileDialogOptions& options, std::string& path) = 0;
    // Save dialog asking before an existing file is overwritten. False when cancelled.
    virtual bool SaveFile(const FileDialogOptions& options, std::string& path) = 0;
    // Folder browser with a title. False when cancelled.
    virtual bool BrowseFolder(const std::string& title, std::string& folder) = 0;

    // A message as Message, with the cause behind it (the failing call, its path and the
    // system's error) shown only to a user who asks: a "Details" button in a window, the line
    // after the message on a verbose command line. Falls back on Message, dropping the details.
    virtual void MessageWithDetails(const std::string& text, const std::string& details) {
        static_cast<void>(details);
        Message(text);
    }
    // A success message (information icon). Falls back on Message.
    virtual void Inform(const std::string& text) { Message(text); }
    // A success message with a button for a follow-up action besides OK; true when the user
    // takes it. Falls back on Inform, declining the offer.
    virtual bool InformWithOffer(const std::string& text, const std::string& offer) {
        static_cast<void>(offer);
        Inform(text);
        return false;
    }
    // A question with Save, Discard and Cancel buttons. Falls back on Cancel, which keeps
    // everything as it is.
    virtual SaveChoice AskToSave(const std::string& question) {
        static_cast<void>(question);
        return SaveChoice::Cancel;
    }
    // Whether Ask and AskToSave reach someone who can answer (a window, or a terminal on the
    // command line). When not, they answer Cancel, and a caller that must not stop silently
    // says instead what the user can do.
    virtual bool CanAsk() const { return false; }
    // A question with the given buttons (question icon). Falls back on Cancel, which stops
    // what was about to happen; a Yes/No question takes it as No.
    virtual Answer Ask(const std::string& question, Buttons buttons) {
        static_cast<void>(question);
        static_cast<void>(buttons);
        return Answer::Cancel;
    }
    // Open dialog choosing one or more files, in the order given. False when cancelled;
    // paths untouched then. Falls back on OpenFile for a single file.
    virtual bool OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) {
        std::string path;
        if (!OpenFile(options, path))
            return false;
        paths = {path};
        return true;
    }
};
