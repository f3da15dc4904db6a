#pragma once
#include "builder/SongProject.h"
#include "builder/window/AnchoredPlacement.h"
#include "builder/window/BuilderSettings.h"
#include "common/Progress.h"
#include "common/Prompts.h"

#include <QDialog>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class HyperlinkLabel;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableWidget;
class SlotList;

// Korvane's main window: the sixteen slots in a list, the fields that edit the selected slot,
// the quality field and the File menu (project files, clipboard, build). Unsaved changes are
// never thrown away without asking: closing, New Project and opening another project ask
// first, and the title carries the modified marker.
// Failure: every failure is shown to the user through the window's Prompts (message boxes);
// a FileError from the project file or the build is caught at the command and shown in a
// generic error box, after which the window stays usable.
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

    // The Open Project command with the file already chosen (a command-line argument, a
    // recent project, a dropped file). Asks nothing.
    void OpenProjectFile(const std::string& path);

    // The commands of the menu and the buttons.
    void NewProject();
    void OpenProject();
    // False when the project was not saved (cancelled or failed).
    bool SaveProject();
    bool SaveProjectAs();
    void OpenRecentProject(const QString& path);
    void CopyListToClipboard();
    void Build();
    void Browse();
    // Picks audio files of any kind and imports them into the empty slots, in order.
    void AddSongs();
    // Imports songs through the importer, under the progress window: into the first empty
    // slots (firstPosition 0) or into the slot at firstPosition and the ones after it.
    // keepOwnTitles leaves a title the user gave alone. A project never saved is saved first
    // (Save Project As), so that its songs go into "NAME songs" beside it; nothing is imported
    // when that is cancelled or fails.
    void ImportSongFiles(const std::vector<std::string>& files, int firstPosition,
                         bool keepOwnTitles);
    void MoveUp();
    void MoveDown();
    void ShowAbout();
    // Reads title, path and quality from the fields; false (after a message) when the
    // quality is not a whole number from 1 to 10.
    bool ReadFieldsBack();
    // True when there is nothing unsaved, or the user saved or discarded it.
    bool MayDiscardChanges();
    // Closing the window (caption button, Escape, File > Exit) asks about unsaved changes.
    void reject() override;

    SongProject& project() { return project_; }
    QTableWidget* list() const;
    SlotList* slotList() const { return list_; }
    QLineEdit* titleField() const { return titleEdit_; }
    // Beside the Title field: how the game shows the title, when that differs from the field.
    QLabel* inGameLabel() const { return inGameLabel_; }
    QLineEdit* pathField() const { return pathEdit_; }
    QLineEdit* qualityField() const { return qualityEdit_; }
    QPushButton* browseButton() const { return browseButton_; }
    QPushButton* moveUpButton() const { return moveUpButton_; }
    QPushButton* moveDownButton() const { return moveDownButton_; }
    QMenuBar* menuBar() const { return menuBar_; }
    QMenu* recentMenu() const { return recentMenu_; }
    QAction* matchLoudnessAction() const { return matchLoudnessAction_; }
    HyperlinkLabel* link() const { return link_; }
    // The window's size with every row of the list in view at the window's font.
    QSize DefaultSize() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    QAction* AddCommand(QMenu* menu, const char* text, const char* keys,
                        const std::function<void()>& command);
    void FillRecentMenu();
    void PlaceControls();
    void ConnectSignals();
    void ResetProject();
    void RefreshList();
    // Colours the row of a slot whose title the game cannot show as typed (or, for a title
    // whose typed text is gone, one that holds "?").
    void MarkRow(int row, const SongSlot& slot);
    // The typed text of a slot's title when the game shows it otherwise; forgets texts whose
    // slot no longer holds what they convert to.
    const QString* TypedTitle(const SongSlot& slot) const;
    void ForgetTypedTitles();
    void MarkStatus(int row, bool valid);
    void ShowInGameTitle();
    void ReadSelection();
    void FillFields(const QString& title, const QString& path);
    void ShowQuality();
    void SetTitleFromFile(const std::string& path);
    void SetModified(bool modified);
    // Saves under the project lock: false after a message when it fails.
    bool SaveTo(const std::string& path);
    SongSlot* SelectedSlot() const;
    void SelectSlot(const SongSlot& slot);
    void MoveSelected(bool up);
    void OnTitleChanged();
    void OnPathChanged();
    void OnQualityChanged();
    void OnFilesDropped(const QStringList& paths, int row);
    std::vector<int> DropRows(int row, int count);
    void ShowDelivered(const std::string& message, const std::string& pack);
    void UseWavAsItIs(SongSlot& slot, const std::string& path);
    FileDialogOptions DialogOptions(const char* filter, const char* extension,
                                    const std::string& initialName,
                                    BuilderSettings::FolderKind kind) const;
    // Runs a command; a file error it raises is shown in the generic error box.
    void RunCommand(const std::function<void()>& command);

    SongProject project_;
    std::string workBaseFolder_;
    std::unique_ptr<Prompts> ownPrompts_;
    Prompts* prompts_ = nullptr;
    ProgressFactory progressFactory_;
    FolderOpener folderOpener_;
    BuilderSettings settings_;

    QString titleBuffer_;
    QString pathBuffer_;
    std::int32_t qualityBuffer_ = SongProject::kDefaultQuality;
    bool suppressFieldChanges_ = false; // Browse writes the path field
    bool writingControls_ = false;      // the window fills the fields itself

    std::array<SongSlot*, SongProject::kSlotCount> rowSlots_{};
    // Titles typed in this window: the text typed where the game shows something else, and
    // the bytes of typed titles the game shows as typed (a "?" in them is meant).
    std::map<const SongSlot*, QString> typedTitles_;
    std::map<const SongSlot*, std::string> verbatimTitles_;
    AnchoredPlacement placement_{*this};
    QSize smallestClient_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* matchLoudnessAction_ = nullptr;
    QWidget* client_ = nullptr;
    SlotList* list_ = nullptr;
    QGroupBox* editingBox_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLineEdit* titleEdit_ = nullptr;
    QLabel* inGameLabel_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    QLineEdit* pathEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* moveUpButton_ = nullptr;
    QPushButton* moveDownButton_ = nullptr;
    QLabel* qualityLabel_ = nullptr;
    QLineEdit* qualityEdit_ = nullptr;
    HyperlinkLabel* link_ = nullptr;
};
