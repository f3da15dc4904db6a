#pragma once
#include <string>

// What a file dialog is asked for. The filter uses the "Name (*.ext)|*.ext||" form.
struct FileDialogOptions {
    std::string filter;
    std::string defaultExtension; // added when the user types a name without one
    std::string initialFileName;
};

// How pipelines and handlers talk to the user: modal messages and the standard dialogs.
// Implemented by the Qt windows, by the console front end and by the tests' recording double.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message with an OK button, captioned with the program's name.
    virtual void Message(const std::string& text) = 0;
    // Open dialog (read-only box hidden). False when the user cancels; path untouched then.
    virtual bool OpenFile(const FileDialogOptions& options, std::string& path) = 0;
    // Save dialog asking before an existing file is overwritten. False when cancelled.
    virtual bool SaveFile(const FileDialogOptions& options, std::string& path) = 0;
    // Folder browser with a title. False when cancelled.
    virtual bool BrowseFolder(const std::string& title, std::string& folder) = 0;
};
