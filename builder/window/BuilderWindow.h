#pragma once
#include "builder/ProjectController.h"
#include "builder/window/ListeningBar.h"
#include "builder/window/ProjectMenu.h"
#include "builder/window/QtProjectSettings.h"
#include "builder/window/TrimFields.h"
#include "common/Progress.h"
#include "common/Prompts.h"

#include <QCheckBox>
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ElidedLabel;
class HyperlinkLabel;
class Player;
class QAction;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QSlider;
class QTableWidget;
class QTimer;
class SlotList;

// Korvane's main window: the sixteen slots in a list, the Editing group for the selected slot
// (with its trim and the player's controls), the quality field and the File menu. It draws
// what its ProjectController shows (View), polling it with a timer while a song plays, and
// forwards every action of the user to it; the controller decides. It owns the Player that
// the controller drives (the command line has none). Laid out by Qt layouts that follow the
// font and the scale factor, in the original's arrangement.
// Keys: Space plays or pauses, [ and ] set the Start and End from the play position, except
// while a field has the focus (they are typed there).
// Failure: none of its own; the controller tells the user of every failure through the
// window's Prompts.
class BuilderWindow : public QDialog {
    Q_OBJECT

public:
    using ProgressFactory = std::function<std::unique_ptr<Progress>(QWidget* owner)>;
    // Shows a folder in the desktop's file manager; false when none could be started.
    using FolderOpener = std::function<bool(const QString& folder)>;

    // workBaseFolder holds the build's velk_work and release.velk.
    explicit BuilderWindow(std::string workBaseFolder, QWidget* parent = nullptr);
    ~BuilderWindow() override;

    // Replace how the window talks to the user (the tests' doubles). Not owned.
    void SetPrompts(Prompts* prompts);
    void SetProgressFactory(ProgressFactory factory);
    void SetFolderOpener(FolderOpener opener);

    // Runs a command of the controller, then draws what it shows.
    void Run(const std::function<void(ProjectController&)>& command);
    // A project chosen before the window opened (a command-line argument). Asks nothing.
    void OpenProjectFile(const std::string& path);
    bool SaveProjectAs();
    void Build();
    void ShowAbout();
    // Closing the window (caption button, Escape, File > Exit) asks about unsaved changes.
    void reject() override;

    ProjectController& controller() { return controller_; }
    SongProject& project() { return controller_.project(); }
    QTableWidget* list() const;
    SlotList* slotList() const { return list_; }
    QLineEdit* titleField() const { return titleEdit_; }
    // Beside the Title field: how the game shows the title, when that differs from the field.
    QLabel* inGameLabel() const;
    QLineEdit* pathField() const { return pathEdit_; }
    QLineEdit* qualityField() const { return qualityEdit_; }
    QPushButton* browseButton() const { return browseButton_; }
    QPushButton* moveUpButton() const { return moveUpButton_; }
    QPushButton* moveDownButton() const { return moveDownButton_; }
    QLineEdit* startField() const { return trim_->field(TrimFields::Field::Start); }
    QLineEdit* endField() const { return trim_->field(TrimFields::Field::End); }
    QLineEdit* fadeInField() const { return trim_->field(TrimFields::Field::FadeIn); }
    QLineEdit* fadeOutField() const { return trim_->field(TrimFields::Field::FadeOut); }
    QPushButton* playButton() const { return listening_->playButton(); }
    QPushButton* stopButton() const { return listening_->stopButton(); }
    QSlider* positionSlider() const { return listening_->positionSlider(); }
    // Where the song stands and how long it is; or "No sound output", or why the song
    // cannot be played.
    QLabel* timeLabel() const { return listening_->timeLabel(); }
    QCheckBox* gameVersionBox() const { return listening_->gameVersionBox(); }
    QGroupBox* editingBox() const { return editingBox_; }
    QMenuBar* menuBar() const { return menuBar_; }
    QMenu* recentMenu() const { return menuBar_->recentMenu(); }
    QAction* matchLoudnessAction() const { return menuBar_->matchLoudnessAction(); }
    HyperlinkLabel* link() const { return link_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateList();
    void SetTabOrder();
    void LayOut();
    QGridLayout* EditingLayout();
    void ConnectSignals();
    // Space, [ and ]: true when the key was one of them and was handled.
    bool ListeningKey(const QKeyEvent& key);
    void Draw();
    void TakeFocus();

    std::unique_ptr<Prompts> ownPrompts_;
    Prompts* prompts_ = nullptr;
    ProgressFactory progressFactory_;
    FolderOpener folderOpener_;
    QtProjectSettings settings_;
    std::unique_ptr<Player> player_; // outlives the controller, which drives it
    ProjectController controller_;

    ProjectMenu* menuBar_ = nullptr;
    SlotList* list_ = nullptr;
    QGroupBox* editingBox_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLineEdit* titleEdit_ = nullptr;
    ElidedLabel* inGameLabel_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    QLineEdit* pathEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* moveUpButton_ = nullptr;
    QPushButton* moveDownButton_ = nullptr;
    TrimFields* trim_ = nullptr;
    ListeningBar* listening_ = nullptr;
    QTimer* listeningTimer_ = nullptr;
    QLabel* qualityLabel_ = nullptr;
    QLineEdit* qualityEdit_ = nullptr;
    HyperlinkLabel* link_ = nullptr;
};
