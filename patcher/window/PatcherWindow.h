#pragma once
#include "common/Prompts.h"
#include "patcher/BackupControls.h"
#include "patcher/WorkFolderSession.h"

#include <QDialog>

#include <memory>
#include <string>

class QLineEdit;
class QPushButton;
class HyperlinkLabel;

// Palisor's single window: the pack and game folder fields with their Browse buttons, and the
// Apply, Backup and Restore buttons, each enabled only when its action makes sense. The paths
// change only through the Browse buttons; text typed into the fields is not taken over.
// Handlers report through Prompts (message boxes unless the caller passes its own) and never
// throw: an unexpected file error ends the handler with a generic error box.
class PatcherWindow : public QDialog, public BackupControls {
    Q_OBJECT

public:
    static constexpr const char* kLinkAddress = "https://korvane.example.org/";

    // gameFolder: from the registry, or "". baseFolder: the folder that holds the work folder.
    PatcherWindow(std::string gameFolder, std::string baseFolder, Prompts* prompts = nullptr,
                  QWidget* parent = nullptr);
    ~PatcherWindow() override;

    // Locks and prepares the work folder, as the window does when it is first shown, then
    // finishes or rolls back an install a crash interrupted in the game folder. False
    // (message shown) when another Palisor holds the work folder or it cannot be created; the
    // window then closes.
    bool PrepareForUse();

    void BrowseForPack();
    void BrowseForGameFolder();
    void ApplyPatch();
    void BackupOriginals();
    void RestoreOriginals();
    void ShowAbout();

    const std::string& GameFolder() const { return gameFolder; }
    const std::string& PackPath() const { return packPath; }
    QLineEdit* PackField() const { return packField; }
    QLineEdit* GameFolderField() const { return gameField; }
    QPushButton* PackBrowseButton() const { return packBrowse; }
    QPushButton* GameBrowseButton() const { return gameBrowse; }
    QPushButton* ApplyButton() const { return applyButton; }
    QPushButton* BackupButton() const { return backupButton; }
    QPushButton* RestoreButton() const { return restoreButton; }

    void EnableBackupButton(bool enabled) override;
    void EnableRestoreButton(bool enabled) override;
    void ShowBusyCursor(bool busy) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    QPushButton* AddButton(const QString& text, int x, int y, int width, int height);
    static void ShowPath(QLineEdit* field, const std::string& path);
    void ShowUnexpectedError(const std::exception& error);
    template <typename Handler> void Guarded(Handler handler);
    void RecoverGameFolder();

    std::string gameFolder;
    std::string packPath;
    std::string baseFolder;
    std::unique_ptr<Prompts> ownPrompts;
    Prompts& prompts;
    bool prepared = false;
    WorkFolderSession session;
    QLineEdit* packField = nullptr;
    QLineEdit* gameField = nullptr;
    QPushButton* packBrowse = nullptr;
    QPushButton* gameBrowse = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* backupButton = nullptr;
    QPushButton* restoreButton = nullptr;
    HyperlinkLabel* link = nullptr;
};
