#pragma once
#include "common/Prompts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// Prompts through Qt: message boxes captioned with the program's name (a warning icon for
// refusals and failures, the information icon for success), Qt's Open and Save file dialogs
// and its folder browser, all modal over the parent.
// Failure: a dialog yields false when the user cancels (or nothing could be chosen); the
// path is then left untouched. Paths are exchanged in the local 8-bit file-name encoding.
class QtPrompts : public Prompts {
public:
    QtPrompts(QWidget* parent, QString programName);

    void Message(const std::string& text) override;
    // A warning box whose "Show Details..." button holds the cause (QMessageBox's detailed
    // text); without details, as Message.
    void MessageWithDetails(const std::string& text, const std::string& details) override;
    // The filter uses the "Name (*.ext)|*.ext||" form; Qt's dialogs have no read-only box.
    bool OpenFile(const FileDialogOptions& options, std::string& path) override;
    // Asks before replacing an existing file, after the default extension is added.
    bool SaveFile(const FileDialogOptions& options, std::string& path) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;
    void Inform(const std::string& text) override;
    bool InformWithOffer(const std::string& text, const std::string& offer) override;
    SaveChoice AskToSave(const std::string& question) override;
    bool CanAsk() const override { return true; }
    Answer Ask(const std::string& question, Buttons buttons) override;
    bool OpenFiles(const FileDialogOptions& options, std::vector<std::string>& paths) override;

private:
    enum class Mode { Open, OpenMany, Save };
    // The chosen files, or none when the user cancels.
    std::vector<std::string> RunFileDialog(Mode mode, const FileDialogOptions& options);
    void ShowMessage(int icon, const std::string& text, const std::string& details = {});

    QPointer<QWidget> parent;
    QString programName;
};
