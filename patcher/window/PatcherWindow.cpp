#include "patcher/window/PatcherWindow.h"

#include "common/ProgramVersion.h"
#include "patcher/gamefolder/ElevationDecision.h"
#include "patcher/gamefolder/GameFilesInUse.h"
#include "patcher/gamefolder/GameFolderCheck.h"
#include "patcher/gamefolder/GameFolderRecovery.h"
#include "patcher/gamefolder/GameFolderState.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/gamefolder/SystemGameFolderAccess.h"
#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "patcher/pack/PackPreview.h"
#include "patcher/window/AboutWindow.h"
#include "patcher/window/ElidedPathEdit.h"
#include "patcher/window/PackPreviewList.h"
#include "patcher/window/PalisorIcon.h"
#include "patcher/window/RecentChoices.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "widgets/DialogUnits.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/ProgressWindow.h"
#include "widgets/QtPrompts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace {

Prompts& ChoosePrompts(Prompts* given, std::unique_ptr<Prompts>& own, QWidget* window) {
    if (given)
        return *given;
    own = std::make_unique<QtPrompts>(window, QStringLiteral("Palisor"));
    return *own;
}

// The layout was drawn for a narrow 8-point font; with a wider font a text that would be cut
// gets the room it needs, growing away from the window edge the control is nearest to.
void WidenToText(QWidget* widget, const QString& text, int padding, int windowWidth) {
    QRect area = widget->geometry();
    int needed = widget->fontMetrics().horizontalAdvance(text) + padding;
    if (needed <= area.width())
        return;
    if (area.center().x() > windowWidth / 2)
        area.setLeft(area.right() - needed + 1);
    else
        area.setWidth(needed);
    widget->setGeometry(area);
}

GameFolderAccess& ChooseAccess(GameFolderAccess* given, std::unique_ptr<GameFolderAccess>& own) {
    if (given)
        return *given;
    own = std::make_unique<SystemGameFolderAccess>();
    return *own;
}

constexpr const char* kVirtualStoreNote =
    "The game reads copies of its files from VirtualStore, not from this folder.";

std::string HeldOpenQuestion(const std::string& path) {
    return path + " is in use by another program (is the game running?). Close the game, then "
                  "press Retry. Nothing was changed.";
}

std::string VirtualStoreQuestion(const std::string& mirror) {
    return "The game reads copies of its files from VirtualStore (" + mirror +
           "), not from the game folder, so it would not see what Palisor changes there.\n\n"
           "Move the copies aside into custom_music/backups, where they are kept, so that the "
           "game reads its own folder again?";
}

std::string VirtualStoreKeptMessage(const std::string& mirror) {
    return "The copies in " + mirror +
           " were left where they are: the game will keep reading them instead of the files "
           "Palisor changes.";
}

std::string VirtualStoreMoveFailedMessage(const VirtualStoreCopies::MoveOutcome& outcome) {
    return "Couldn't move " + outcome.failedCopy + " aside into " + outcome.backupFolder +
           ". What was moved before it is kept there, nothing was deleted, and nothing else was "
           "changed.";
}

void ShowPath(QLineEdit* field, const std::string& path) {
    if (field->text() == QString::fromStdString(path))
        return;
    field->setText(QString::fromStdString(path));
    field->setCursorPosition(0); // show where the path begins, as a Windows edit does
}

std::string FieldPath(const QLineEdit* field) {
    return field->text().toStdString();
}

} // namespace

PatcherWindow::PatcherWindow(std::string initialGameFolder, std::string workBase,
                             Prompts* givenPrompts, GameFolderAccess* givenAccess, QWidget* parent)
    : QDialog(parent), baseFolder(std::move(workBase)),
      prompts(ChoosePrompts(givenPrompts, ownPrompts, this)),
      access(ChooseAccess(givenAccess, ownAccess)) {
    setWindowTitle(QStringLiteral("Palisor %1").arg(QString::fromLatin1(ProgramVersion())));
    setWindowIcon(PalisorIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    BuildLayout();
    SetGameFolder(initialGameFolder);
    OfferGameFolders({initialGameFolder});
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, &PatcherWindow::ShowAbout);
}

PatcherWindow::~PatcherWindow() {
    // A field losing the focus while the children go would otherwise reach this half-gone
    // window through editingFinished.
    packField->disconnect(this);
    GameFolderField()->disconnect(this);
    gameList->disconnect(this);
}

QPushButton* PatcherWindow::AddButton(const QString& text, int x, int y, int width, int height) {
    auto* button = new QPushButton(text, this);
    button->setGeometry(DialogUnitsToPixels(*this, x, y, width, height));
    // Enter never presses a focused button (nor closes the window).
    button->setAutoDefault(false);
    WidenToText(button, text, 12, this->width());
    return button;
}

QLabel* PatcherWindow::AddLabel(const QString& text, int x, int y, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setGeometry(DialogUnitsToPixels(*this, x, y, width, height));
    if (height <= 8) // one line; longer texts wrap instead
        WidenToText(label, text, 2, this->width());
    else
        label->setWordWrap(true);
    return label;
}

void PatcherWindow::BuildLayout() {
    resize(DialogUnitsToPixels(*this, 0, 0, 297, 287).size()); // the design's size
    BuildPatchingGroup();
    BuildBackupGroup();
    link = new HyperlinkLabel(this);
    link->setText(QString::fromLatin1(kLinkAddress));
    link->setGeometry(DialogUnitsToPixels(*this, 205, 272, 83, 8));
    link->setAlignment(Qt::AlignRight | Qt::AlignVCenter); // grows to the left when fitted
    link->SetPrompts(&prompts);
    link->Attach();
    ConnectFields();
    AnchorControls();
}

void PatcherWindow::AnchorControls() {
    const int grow = kGrowWidth, right = kFollowRight, bottom = kFollowBottom;
    const std::pair<QWidget*, int> controls[] = {{patchingGroup, grow | kGrowHeight},
                                                 {packField, grow},
                                                 {packBrowse, right},
                                                 {preview, grow | kGrowHeight},
                                                 {packNote, grow | bottom},
                                                 {gameList, grow | bottom},
                                                 {gameBrowse, right | bottom},
                                                 {gameFlag, grow | bottom},
                                                 {stateLine, grow | bottom},
                                                 {applyButton, right | bottom},
                                                 {backupGroup, grow | bottom},
                                                 {backupNote, grow | bottom},
                                                 {backupButton, bottom},
                                                 {restoreButton, right | bottom},
                                                 {link, right | bottom}};
    // The preview can give up all but its heading and a row: it scrolls, also by keyboard.
    const int shrink = DialogUnitsToPixels(*this, 0, 0, 0, 72 - 16).height();
    for (const auto& [widget, anchors] : controls) {
        QRect rect = widget->geometry();
        if (anchors & kGrowHeight)
            rect.setHeight(rect.height() - shrink);
        if (anchors & kFollowBottom)
            rect.translate(0, -shrink);
        anchored.push_back({widget, rect, anchors});
    }
    // The labels on the left of the fields below the preview move with them.
    for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        if (label->geometry().top() > preview->geometry().bottom() &&
            std::none_of(anchored.begin(), anchored.end(),
                         [label](const Anchored& item) { return item.widget == label; }))
            anchored.push_back({label, label->geometry().translated(0, -shrink), bottom});
    smallest = size() - QSize(0, shrink);
    setMinimumSize(smallest);
    // Opens at the design's size where the screen has room for it, smaller where not.
    if (const QScreen* display = screen())
        resize(size().boundedTo(display->availableGeometry().size()).expandedTo(smallest));
}

void PatcherWindow::PlaceControls() {
    const QSize extra = size() - smallest;
    for (const Anchored& item : anchored) {
        QRect rect = item.smallest;
        if (item.anchors & kFollowRight)
            rect.translate(extra.width(), 0);
        if (item.anchors & kFollowBottom)
            rect.translate(0, extra.height());
        if (item.anchors & kGrowWidth)
            rect.setWidth(rect.width() + extra.width());
        if (item.anchors & kGrowHeight)
            rect.setHeight(rect.height() + extra.height());
        item.widget->setGeometry(rect);
    }
    link->FitToText();
}

void PatcherWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!anchored.empty())
        PlaceControls();
}

void PatcherWindow::BuildPatchingGroup() {
    patchingGroup = new QGroupBox(QStringLiteral("Patching"), this);
    patchingGroup->setGeometry(DialogUnitsToPixels(*this, 5, 6, 285, 196));
    AddLabel(QStringLiteral("Music Patch File (.velk)"), 10, 19, 76, 8);
    packField = new ElidedPathEdit(this);
    packField->setGeometry(DialogUnitsToPixels(*this, 90, 19, 160, 15));
    packBrowse = AddButton(QStringLiteral("Browse..."), 252, 19, 35, 14);
    preview = new PackPreviewList(this);
    preview->setGeometry(DialogUnitsToPixels(*this, 90, 37, 197, 72));
    packNote = AddLabel(QString(), 90, 111, 197, 16);
    AddLabel(QStringLiteral("BFV Folder"), 10, 132, 36, 8);
    gameList = new QComboBox(this);
    gameList->setEditable(true);
    gameList->setLineEdit(new ElidedPathEdit(gameList));
    gameList->setInsertPolicy(QComboBox::NoInsert);
    gameList->view()->setTextElideMode(Qt::ElideMiddle);
    gameList->setGeometry(DialogUnitsToPixels(*this, 90, 132, 160, 15));
    gameBrowse = AddButton(QStringLiteral("Browse..."), 252, 132, 35, 14);
    gameFlag = AddLabel(QString(), 90, 149, 197, 16);
    QPalette warning = gameFlag->palette();
    warning.setColor(QPalette::WindowText, QColor(0xA0, 0x10, 0x10));
    gameFlag->setPalette(warning);
    packNote->setPalette(warning);
    stateLine = AddLabel(QString(), 10, 166, 277, 16);
    applyButton = AddButton(QStringLiteral("Apply The Music Patch"), 209, 184, 78, 14);
}

void PatcherWindow::BuildBackupGroup() {
    backupGroup = new QGroupBox(QStringLiteral("Backup"), this);
    backupGroup->setGeometry(DialogUnitsToPixels(*this, 5, 207, 285, 56));
    backupNote = AddLabel(
        QStringLiteral("Backups of the original files for BFV will be put into a directory "
                       "underneath BFV called custom_music/backups."),
        10, 218, 275, 17);
    backupButton = AddButton(QStringLiteral("Backup Originals"), 10, 242, 80, 15);
    restoreButton = AddButton(QStringLiteral("Restore Originals"), 208, 242, 80, 14);
}

void PatcherWindow::ConnectFields() {
    connect(packBrowse, &QPushButton::clicked, this, &PatcherWindow::BrowseForPack);
    connect(gameBrowse, &QPushButton::clicked, this, &PatcherWindow::BrowseForGameFolder);
    connect(applyButton, &QPushButton::clicked, this, &PatcherWindow::ApplyPatch);
    connect(backupButton, &QPushButton::clicked, this, &PatcherWindow::BackupOriginals);
    connect(restoreButton, &QPushButton::clicked, this, &PatcherWindow::RestoreOriginals);
    connect(packField, &QLineEdit::editingFinished, this,
            [this] { ChoosePack(FieldPath(packField)); });
    connect(GameFolderField(), &QLineEdit::editingFinished, this,
            [this] { ChooseGameFolder(FieldPath(GameFolderField())); });
    connect(gameList, &QComboBox::activated, this,
            [this](int index) { ChooseGameFolder(gameList->itemText(index).toStdString()); });
}

QLineEdit* PatcherWindow::PackField() const {
    return packField;
}

QLineEdit* PatcherWindow::GameFolderField() const {
    return gameList->lineEdit();
}

void PatcherWindow::OfferGameFolders(const std::vector<std::string>& folders) {
    const QSignalBlocker quiet(gameList);
    for (const auto& folder : folders) {
        const QString path = QString::fromStdString(folder);
        if (folder.empty() || gameList->findText(path, Qt::MatchExactly) >= 0)
            continue;
        gameList->addItem(path);
        gameList->setItemData(gameList->count() - 1, path, Qt::ToolTipRole);
    }
    ShowPath(GameFolderField(), gameFolder); // adding the first item would have replaced it
}

void PatcherWindow::ChooseGameFolder(const std::string& folder) {
    if (folder != gameFolder)
        SetGameFolder(folder);
}

void PatcherWindow::ChoosePack(const std::string& pack) {
    if (pack != packPath)
        SetPack(pack);
}

void PatcherWindow::SetGameFolder(const std::string& folder) {
    gameFolder = folder;
    recovered = false;
    ShowPath(GameFolderField(), gameFolder);
    if (prepared) // before that, preparing the window recovers
        RecoverGameFolder();
    if (IsGameFolder(gameFolder)) {
        RecentChoices::RememberGameFolder(gameFolder);
        OfferGameFolders({gameFolder});
    }
    Refresh();
}

void PatcherWindow::SetPack(const std::string& pack) {
    packPath = pack;
    ShowPath(packField, packPath);
    if (FileExists(packPath))
        RecentChoices::RememberPack(packPath);
    ReadPackPreview();
    Refresh();
}

// The pack is read into the work folder, which is only ours once the window is prepared;
// a pack chosen before that is read then.
void PatcherWindow::ReadPackPreview() {
    PackPreview read;
    if (!packPath.empty() && prepared) {
        ShowBusyCursor(true);
        Guarded([&] { read = PackPreview::Read(packPath, WorkFolderIn(baseFolder)); });
        ShowBusyCursor(false);
    }
    packReady = !packPath.empty() && prepared && read.problem.empty();
    preview->ShowSongs(read.songs);
    packNote->setText(QString::fromStdString(read.problem));
}

// What the state line, the flag and the buttons show follows from the folder and the pack as
// they are on disk now.
void PatcherWindow::Refresh() {
    const std::string problem = gameFolder.empty() ? "" : GameFolderProblem(gameFolder);
    gameFlag->setText(QString::fromStdString(problem));
    const bool isGame = !gameFolder.empty() && problem.empty();
    GameFolderState state; // read once: checking the backups reads them whole
    std::string line = "No game folder chosen.";
    if (!gameFolder.empty()) {
        line = "The chosen folder does not exist.";
        if (GameFolderExists(gameFolder)) {
            state = GameFolderState::Read(gameFolder);
            state.recovered = recovered;
            line = state.Line();
            if (!VirtualStore().Existing().empty())
                line += std::string(" ") + kVirtualStoreNote;
        }
    }
    stateLine->setText(QString::fromStdString(line));
    const bool complete = state.backups == GameFolderState::Backups::Complete;
    backupButton->setEnabled(isGame && !complete);
    restoreButton->setEnabled(complete);
    applyButton->setEnabled(isGame && packReady);
}

// A path typed into a field and not yet confirmed (a button clicked without leaving the
// field) is taken as well.
void PatcherWindow::TakeTypedPaths() {
    ChooseGameFolder(FieldPath(GameFolderField()));
    ChoosePack(FieldPath(packField));
}

bool PatcherWindow::PrepareForUse() {
    prepared = true;
    bool ready = false;
    Guarded([&] { ready = session.Begin(baseFolder, prompts); });
    if (!ready) {
        QTimer::singleShot(0, this, &QDialog::reject);
        return false;
    }
    RecoverGameFolder();
    ReadPackPreview();
    Refresh();
    return true;
}

void PatcherWindow::RecoverGameFolder() {
    if (!GameFolderExists(gameFolder))
        return;
    // Without the rights it would fail halfway; the next action offers them first.
    if (FileExists(InstallJournalFile(gameFolder)) &&
        !FirstFolderDenied(gameFolder, [this](const std::string& folder) {
             return access.ProbeWritable(folder);
         }).empty())
        return;
    OnGameFolder([&] {
        FolderLock gameLock;
        BeginGameChange(gameFolder, prompts, gameLock);
    });
}

// Every action on the game folder first finishes or undoes an install a crash interrupted;
// the state line tells when that happened (the journal was there before and is gone after).
template <typename Action> void PatcherWindow::OnGameFolder(Action action) {
    const bool interrupted = !gameFolder.empty() && FileExists(InstallJournalFile(gameFolder));
    Guarded(action);
    if (interrupted && !FileExists(InstallJournalFile(gameFolder)))
        recovered = true;
}

void PatcherWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!prepared)
        PrepareForUse();
}

void PatcherWindow::BrowseForPack() {
    FileDialogOptions options{"VELK Files (*.velk)|*.velk||", "velk", "*.velk"};
    std::string chosen;
    if (prompts.OpenFile(options, chosen))
        SetPack(chosen);
}

void PatcherWindow::BrowseForGameFolder() {
    std::string chosen;
    if (prompts.BrowseFolder("Find The BFV Folder", chosen))
        SetGameFolder(chosen);
}

void PatcherWindow::ApplyPatch() {
    TakeTypedPaths();
    if (!applyButton->isEnabled() || !ReadyToChange(InstallTargets(gameFolder)))
        return;
    ProgressWindow progress(this);
    OnGameFolder([&] { ::ApplyPatch(gameFolder, packPath, baseFolder, prompts, progress); });
    Refresh();
}

void PatcherWindow::BackupOriginals() {
    TakeTypedPaths();
    if (!backupButton->isEnabled() ||
        !ReadyToChange({GameDefaultCon(gameFolder), GameMusicRfa(gameFolder)}))
        return;
    OnGameFolder([&] { ::BackupOriginals(gameFolder, prompts, *this); });
    Refresh();
}

void PatcherWindow::RestoreOriginals() {
    TakeTypedPaths();
    if (!restoreButton->isEnabled() ||
        !ReadyToChange({GameDefaultCon(gameFolder), GameMusicRfa(gameFolder)}))
        return;
    OnGameFolder([&] { ::RestoreOriginals(gameFolder, prompts, *this); });
    Refresh();
}

// Rights first: moving the VirtualStore copies aside writes the game folder too, and an
// elevated Palisor asks about them again.
bool PatcherWindow::ReadyToChange(const std::vector<std::string>& files) {
    return GameFilesClosed(files) && FoldersWritable() && VirtualStoreCopiesSettled();
}

bool PatcherWindow::GameFilesClosed(const std::vector<std::string>& files) {
    for (;;) {
        const std::string held = FirstFileInUse(
            files, [this](const std::string& path) { return access.HeldOpen(path); });
        if (held.empty())
            return true;
        if (prompts.Ask(HeldOpenQuestion(held), Prompts::Buttons::RetryCancel) !=
            Prompts::Answer::Retry)
            return false;
    }
}

bool PatcherWindow::FoldersWritable() {
    const std::string denied = FirstFolderDenied(
        gameFolder, [this](const std::string& folder) { return access.ProbeWritable(folder); });
    const ElevationDecision decision =
        DecideElevation(access.Elevated(), denied.empty(), access.CanRestartElevated(), denied);
    switch (decision.step) {
    case ElevationDecision::Step::Proceed:
        return true;
    case ElevationDecision::Step::Refuse:
        prompts.Message(decision.message);
        return false;
    case ElevationDecision::Step::OfferRestart:
        if (prompts.Ask(decision.message, Prompts::Buttons::YesNo) == Prompts::Answer::Yes)
            RestartAsAdministrator();
        return false;
    }
    return false;
}

// The elevated Palisor opens with this game folder and pack, and takes over the work folder.
void PatcherWindow::RestartAsAdministrator() {
    std::vector<std::string> arguments = {"--game-folder", gameFolder};
    if (!packPath.empty())
        arguments.push_back(packPath);
    session.End();
    const RestartOutcome outcome = access.RestartElevated(arguments);
    if (outcome == RestartOutcome::Started) {
        QTimer::singleShot(0, this, &QDialog::accept);
        return;
    }
    if (outcome != RestartOutcome::Declined)
        prompts.Message(RestartFailedMessage());
    bool ready = false;
    Guarded([&] { ready = session.Begin(baseFolder, prompts); });
    if (!ready) {
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    ReadPackPreview(); // the work folder was emptied again
    Refresh();
}

bool PatcherWindow::VirtualStoreCopiesSettled() {
    const VirtualStoreCopies copies = VirtualStore();
    if (copies.Existing().empty())
        return true;
    switch (prompts.Ask(VirtualStoreQuestion(copies.Mirror()), Prompts::Buttons::YesNoCancel)) {
    case Prompts::Answer::No:
        prompts.Message(VirtualStoreKeptMessage(copies.Mirror()));
        return true;
    case Prompts::Answer::Yes: {
        VirtualStoreCopies::MoveOutcome outcome;
        const std::string stamp = QDateTime::currentDateTime()
                                      .toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"))
                                      .toStdString();
        Guarded([&] { outcome = copies.MoveAside(stamp); });
        if (!outcome.moved && !outcome.failedCopy.empty()) {
            prompts.Message(VirtualStoreMoveFailedMessage(outcome));
            Refresh();
        }
        return outcome.moved;
    }
    default:
        return false;
    }
}

VirtualStoreCopies PatcherWindow::VirtualStore() {
    return VirtualStoreCopies(gameFolder, access.ProgramFilesFolders(),
                              access.LocalAppDataFolder());
}

void PatcherWindow::ShowAbout() {
    AboutWindow about(this);
    about.exec();
}

void PatcherWindow::EnableBackupButton(bool enabled) {
    backupButton->setEnabled(enabled);
}

void PatcherWindow::EnableRestoreButton(bool enabled) {
    restoreButton->setEnabled(enabled);
}

void PatcherWindow::ShowBusyCursor(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void PatcherWindow::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept(); // ends editing in a field, never closes the window
            return;
        }
    }
    QDialog::keyPressEvent(event); // Escape closes as Cancel
}

void PatcherWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Palisor..."), this, &PatcherWindow::ShowAbout);
    menu.exec(event->globalPos());
}

void PatcherWindow::ShowUnexpectedError(const std::exception& error) {
    QMessageBox::critical(
        this, QStringLiteral("Palisor"),
        QStringLiteral("An unexpected error occurred: %1").arg(QString::fromUtf8(error.what())));
}

template <typename Handler> void PatcherWindow::Guarded(Handler handler) {
    // Qt cannot carry exceptions through its event loop: report them here instead.
    try {
        handler();
    } catch (const std::exception& error) {
        ShowUnexpectedError(error);
    }
}
