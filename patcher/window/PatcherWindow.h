#pragma once
#include "common/Prompts.h"
#include "patcher/GameFolderController.h"
#include "patcher/gamefolder/GameFolderAccess.h"
#include "patcher/window/RecentChoices.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class HyperlinkLabel;
class ElidedPathEdit;
class PackPreviewList;

// Palisor's single window: the pack field with its song preview, the game folder drop-down,
// the state line, and the Apply, Backup and Restore buttons, laid out by Qt layouts that follow
// the font. It draws GameFolderController's view and forwards the user's actions to it: a path
// typed into a field is forwarded when editing ends, or before a button's action; Enter or a
// double-click on a song of the preview is forwarded to be played, and what plays is drawn
// under the preview (followed a few times a second). Every button
// and label has an access key; Enter presses the focused button and only confirms a field;
// Escape closes. Handlers never throw: an unexpected file error ends the action with a generic
// error box. Messages go through Prompts (message boxes unless the caller passes its own), the
// system's side through GameFolderAccess (the real one unless the caller passes its own).
class PatcherWindow : public QDialog {
    Q_OBJECT

public:

    // gameFolder: the folder to start with (from --game-folder, the last run or the registry),
    // or "". baseFolder: the folder that holds the work folder.
    PatcherWindow(std::string gameFolder, std::string baseFolder, Prompts* prompts = nullptr,
                  GameFolderAccess* access = nullptr, QWidget* parent = nullptr);
    ~PatcherWindow() override;

    // What the window does when it is first shown (GameFolderController::Start); false when
    // it cannot work, and then it closes.
    bool PrepareForUse();

    // What plays the pack's songs (Enter or a double-click on a song of the preview); without
    // one the preview only shows them. It must outlive the window.
    void SetSongPlayer(SongPlayer* player);
    void OfferGameFolders(const std::vector<std::string>& folders);
    // Why the registry's GAMEDIR is not used, shown under the folder field while it is empty.
    void NoteRegistryRefusal(const std::string& refusal);
    // Takes a game folder or a pack as if it had been typed into its field.
    void ChooseGameFolder(const std::string& folder);
    void ChoosePack(const std::string& pack);

    void BrowseForPack();
    void BrowseForGameFolder();
    void ApplyPatch();
    void BackupOriginals();
    void RestoreOriginals();
    void ShowAbout();

    const std::string& GameFolder() const { return controller.View().gameFolder; }
    const std::string& PackPath() const { return controller.View().packPath; }
    QLineEdit* PackField() const;
    QLineEdit* GameFolderField() const;
    QComboBox* GameFolderList() const { return gameList; }
    QLabel* GameFolderFlag() const { return gameFlag; }
    QLabel* StateLine() const { return stateLine; }
    PackPreviewList* PreviewList() const { return preview; }
    QLabel* PackNote() const { return packNote; }
    QLabel* ListeningLine() const { return listening; }
    QPushButton* PackBrowseButton() const { return packBrowse; }
    QPushButton* GameBrowseButton() const { return gameBrowse; }
    QPushButton* ApplyButton() const { return applyButton; }
    QPushButton* BackupButton() const { return backupButton; }
    QPushButton* RestoreButton() const { return restoreButton; }

    // Closing stops what plays.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    QGroupBox* BuildPatchingGroup();
    QGroupBox* BuildBackupGroup();
    void ConnectControls();
    void Draw();
    void DrawGameFolderChoices(const std::vector<std::string>& choices);
    void DrawBusy(bool busy);
    void TakeTypedPaths();
    template <typename Call> void Forward(Call call);

    std::unique_ptr<Prompts> ownPrompts;
    Prompts& prompts;
    std::unique_ptr<GameFolderAccess> ownAccess;
    RecentChoices recent;
    GameFolderController controller;
    bool started = false;
    bool busyShown = false;
    bool closing = false;

    ElidedPathEdit* packField = nullptr;
    QComboBox* gameList = nullptr;
    QLabel* gameFlag = nullptr;
    QLabel* stateLine = nullptr;
    PackPreviewList* preview = nullptr;
    QLabel* packNote = nullptr;
    QLabel* listening = nullptr;
    QTimer* playback = nullptr; // follows what plays
    QPushButton* packBrowse = nullptr;
    QPushButton* gameBrowse = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* backupButton = nullptr;
    QPushButton* restoreButton = nullptr;
    HyperlinkLabel* link = nullptr;
};
