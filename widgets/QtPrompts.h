#pragma once
#include "common/Prompts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// Prompts through Qt: a warning message box with an OK button captioned with the program's
// name, Qt's Open and Save file dialogs and its folder browser, all modal over the parent.
// Failure: a dialog yields false when the user cancels (or nothing could be chosen); the
// path is then left untouched. Paths are exchanged in the local 8-bit file-name encoding.
class QtPrompts : public Prompts {
public:
    QtPrompts(QWidget* parent, QString programName);

    void Message(const std::string& text) override;
    // The filter uses the "Name (*.ext)|*.ext||" form; Qt's dialogs have no read-only box.
    bool OpenFile(const FileDialogOptions& options, std::string& path) override;
    // Asks before replacing an existing file, after the default extension is added.
    bool SaveFile(const FileDialogOptions& options, std::string& path) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;

private:
    bool RunFileDialog(bool saving, const FileDialogOptions& options, std::string& path);

    QPointer<QWidget> parent;
    QString programName;
};
