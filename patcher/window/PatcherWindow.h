#pragma once
#include "common/Prompts.h"
#include "patcher/gamefolder/GameFolderAccess.h"
#include "patcher/gamefolder/VirtualStoreCopies.h"
#include "patcher/install/BackupControls.h"
#include "patcher/install/WorkFolderSession.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class HyperlinkLabel;
class ElidedPathEdit;
class PackPreviewList;

// Palisor's single window: the pack field and the game folder drop-down with their Browse
// buttons, the state line, and the Apply, Backup and Restore buttons. A path typed into either
// field is taken when editing ends. A folder that is not the game is flagged beside its field,
// and Backup and Apply stay disabled while it is. After every action the state line and the
// buttons are read again from the game folder. The game folder and pack chosen last are kept
// for the next run. Handlers report through Prompts (message boxes unless the caller passes
// its own) and never throw: an unexpected file error ends the handler with a generic error box.
// Before Backup, Apply and Restore change anything, the window asks the user to close a game
// that holds its files open, offers to restart as administrator when the folder needs it, and
// offers to move VirtualStore copies of the game's files aside (GameFolderAccess tells it the
// system's side: the real one unless the caller passes its own).
class PatcherWindow : public QDialog, public BackupControls {
    Q_OBJECT

public:
    static constexpr const char* kLinkAddress = "https://korvane.example.org/";

    // gameFolder: the folder to start with (from --game-folder, the last run or the registry),
    // or "". baseFolder: the folder that holds the work folder.
    PatcherWindow(std::string gameFolder, std::string baseFolder, Prompts* prompts = nullptr,
                  GameFolderAccess* access = nullptr, QWidget* parent = nullptr);
    ~PatcherWindow() override;

    // Locks and prepares the work folder, as the window does when it is first shown, then
    // finishes or rolls back an install a crash interrupted in the game folder. False
    // (message shown) when another Palisor holds the work folder or it cannot be created; the
    // window then closes.
    bool PrepareForUse();

    // Adds folders to the game folder drop-down after those it has, each once, in order.
    void OfferGameFolders(const std::vector<std::string>& folders);
    // Takes a game folder or a pack as if it had been typed into its field.
    void ChooseGameFolder(const std::string& folder);
    void ChoosePack(const std::string& pack);

    void BrowseForPack();
    void BrowseForGameFolder();
    void ApplyPatch();
    void BackupOriginals();
    void RestoreOriginals();
    void ShowAbout();

    const std::string& GameFolder() const { return gameFolder; }
    const std::string& PackPath() const { return packPath; }
    QLineEdit* PackField() const;
    QLineEdit* GameFolderField() const;
    QComboBox* GameFolderList() const { return gameList; }
    QLabel* GameFolderFlag() const { return gameFlag; }
    QLabel* StateLine() const { return stateLine; }
    PackPreviewList* PreviewList() const { return preview; }
    QLabel* PackNote() const { return packNote; }
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
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    // Records where each control sits in the design's layout and how it follows the window as
    // it grows or shrinks: the preview takes (or gives up) the room, the rest keeps its place
    // against the edges. The smallest window has a preview of a few rows only, so that every
    // button stays on screen on a small or highly scaled display.
    void AnchorControls();
    void PlaceControls();
    void BuildPatchingGroup();
    void BuildBackupGroup();
    void ConnectFields();
    QPushButton* AddButton(const QString& text, int x, int y, int width, int height);
    QLabel* AddLabel(const QString& text, int x, int y, int width, int height);
    void TakeTypedPaths();
    void SetGameFolder(const std::string& folder);
    void SetPack(const std::string& pack);
    void Refresh();
    void ReadPackPreview();
    void ShowUnexpectedError(const std::exception& error);
    template <typename Handler> void Guarded(Handler handler);
    template <typename Action> void OnGameFolder(Action action);
    void RecoverGameFolder();
    // The checks before an action that replaces `files` of the game folder; false (the user
    // told why, or the window closing for an elevated Palisor) when it must not start.
    bool ReadyToChange(const std::vector<std::string>& files);
    bool GameFilesClosed(const std::vector<std::string>& files);
    bool FoldersWritable();
    void RestartAsAdministrator();
    bool VirtualStoreCopiesSettled();
    VirtualStoreCopies VirtualStore();

    std::string gameFolder;
    std::string packPath;
    std::string baseFolder;
    std::unique_ptr<Prompts> ownPrompts;
    Prompts& prompts;
    std::unique_ptr<GameFolderAccess> ownAccess;
    GameFolderAccess& access;
    bool prepared = false;
    bool packReady = false; // the pack passed the checks an install makes
    bool recovered = false; // an interrupted install was finished or undone in this folder
    WorkFolderSession session;
    ElidedPathEdit* packField = nullptr;
    QComboBox* gameList = nullptr;
    QLabel* gameFlag = nullptr;
    QLabel* stateLine = nullptr;
    PackPreviewList* preview = nullptr;
    QLabel* packNote = nullptr;
    QPushButton* packBrowse = nullptr;
    QPushButton* gameBrowse = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* backupButton = nullptr;
    QPushButton* restoreButton = nullptr;
    HyperlinkLabel* link = nullptr;
    QWidget* patchingGroup = nullptr;
    QWidget* backupGroup = nullptr;
    QWidget* backupNote = nullptr;

    enum Anchor { kGrowWidth = 1, kGrowHeight = 2, kFollowRight = 4, kFollowBottom = 8 };
    struct Anchored {
        QWidget* widget;
        QRect smallest; // geometry in the smallest window
        int anchors;
    };
    std::vector<Anchored> anchored;
    QSize smallest;
};
