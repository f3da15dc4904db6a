#include "patcher/window/PatcherWindow.h"

#include "common/ProgramVersion.h"
#include "patcher/gamefolder/SystemGameFolderAccess.h"
#include "patcher/window/AboutWindow.h"
#include "patcher/window/ElidedPathEdit.h"
#include "patcher/window/PackPreviewList.h"
#include "patcher/window/PalisorIcon.h"
#include "widgets/DialogUnits.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/ProgressWindow.h"
#include "widgets/QtPrompts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
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
#include <QStyle>
#include <QTimer>

#include <exception>

namespace {

// The given object, or one of its own kind Made that the window owns.
template <typename Made, typename Base, typename... Args>
Base& GivenOrOwn(Base* given, std::unique_ptr<Base>& own, Args&&... args) {
    if (!given)
        own = std::make_unique<Made>(std::forward<Args>(args)...);
    return given ? *given : *own;
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

// A note that wraps, in the warning colour, taking no room while it is empty.
QLabel* WarningNote(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette warning = label->palette();
    warning.setColor(QPalette::WindowText, QColor(0xA0, 0x10, 0x10));
    label->setPalette(warning);
    label->hide();
    return label;
}

void ShowNote(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
    label->setVisible(!text.empty());
}

QPushButton* Button(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false); // Enter presses the focused button only (keyPressEvent)
    return button;
}

} // namespace

PatcherWindow::PatcherWindow(std::string initialGameFolder, std::string baseFolder,
                             Prompts* givenPrompts, GameFolderAccess* givenAccess, QWidget* parent)
    : QDialog(parent),
      prompts(GivenOrOwn<QtPrompts>(givenPrompts, ownPrompts, this, QStringLiteral("Palisor"))),
      controller(std::move(baseFolder), prompts,
                 GivenOrOwn<SystemGameFolderAccess>(givenAccess, ownAccess),
                 GameFolderController::Front::Window) {
    setWindowTitle(QStringLiteral("Palisor %1").arg(QString::fromLatin1(ProgramVersion())));
    setWindowIcon(PalisorIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    BuildLayout();
    controller.SetMemory(&recent);
    controller.SetViewListener([this] { Draw(); });
    Forward([&] {
        controller.ChooseGameFolder(initialGameFolder);
        controller.OfferGameFolders({initialGameFolder});
    });
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, &PatcherWindow::ShowAbout);
}

PatcherWindow::~PatcherWindow() {
    // A field losing the focus while the children go would otherwise reach this half-gone
    // window through editingFinished.
    packField->disconnect(this);
    GameFolderField()->disconnect(this);
    gameList->disconnect(this);
    controller.SetViewListener({});
    DrawBusy(false);
}

// The design's arrangement, top to bottom; the song preview takes the room the window gets.
// The default size shows all sixteen songs; the smallest keeps every button on screen.
void PatcherWindow::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildPatchingGroup(), 1);
    layout->addWidget(BuildBackupGroup());
    link = new HyperlinkLabel(this);
    link->setText(QString::fromLatin1(AboutWindow::kHomePage));
    link->SetPrompts(&prompts);
    link->Attach();
    layout->addWidget(link, 0, Qt::AlignRight);
    ConnectControls();
    const int designWidth = DialogUnitsToPixels(*this, 0, 0, 297, 0).width();
    resize(std::max(designWidth, sizeHint().width()), sizeHint().height());
}

QGroupBox* PatcherWindow::BuildPatchingGroup() {
    auto* group = new QGroupBox(QStringLiteral("Patching"), this);
    auto* grid = new QGridLayout(group);
    auto* packLabel = new QLabel(QStringLiteral("&Music Patch File (.velk)"), group);
    packField = new ElidedPathEdit(group);
    packLabel->setBuddy(packField);
    packBrowse = Button(QStringLiteral("Br&owse..."), group);
    preview = new PackPreviewList(group);
    listening = new QLabel(group);
    listening->setWordWrap(true);
    listening->hide();
    packNote = WarningNote(group);
    auto* gameLabel = new QLabel(QStringLiteral("BFV &Folder"), group);
    gameList = new QComboBox(group);
    gameList->setEditable(true);
    gameList->setLineEdit(new ElidedPathEdit(gameList));
    gameList->setInsertPolicy(QComboBox::NoInsert);
    gameList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    gameList->view()->setTextElideMode(Qt::ElideMiddle);
    gameLabel->setBuddy(gameList);
    gameBrowse = Button(QStringLiteral("Bro&wse..."), group);
    gameFlag = WarningNote(group);
    stateLine = new QLabel(group);
    stateLine->setWordWrap(true);
    applyButton = Button(QStringLiteral("&Apply The Music Patch"), group);

    grid->addWidget(packLabel, 0, 0);
    grid->addWidget(packField, 0, 1);
    grid->addWidget(packBrowse, 0, 2);
    grid->addWidget(preview, 1, 1, 1, 2);
    grid->addWidget(listening, 2, 0, 1, 3);
    grid->addWidget(packNote, 3, 1, 1, 2);
    grid->addWidget(gameLabel, 4, 0);
    grid->addWidget(gameList, 4, 1);
    grid->addWidget(gameBrowse, 4, 2);
    grid->addWidget(gameFlag, 5, 1, 1, 2);
    grid->addWidget(stateLine, 6, 0, 1, 3);
    grid->addWidget(applyButton, 7, 1, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    return group;
}

QGroupBox* PatcherWindow::BuildBackupGroup() {
    auto* group = new QGroupBox(QStringLiteral("Backup"), this);
    auto* column = new QVBoxLayout(group);
    auto* note =
        new QLabel(QStringLiteral("Backups of the original files for BFV will be put into "
                                  "a directory underneath BFV called custom_music/backups."),
                   group);
    note->setWordWrap(true);
    column->addWidget(note);
    auto* buttons = new QHBoxLayout;
    backupButton = Button(QStringLiteral("&Backup Originals"), group);
    restoreButton = Button(QStringLiteral("&Restore Originals"), group);
    buttons->addWidget(backupButton);
    buttons->addStretch(1);
    buttons->addWidget(restoreButton);
    column->addLayout(buttons);
    return group;
}

void PatcherWindow::ConnectControls() {
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
    connect(preview, &PackPreviewList::SongChosen, this,
            [this](int number) { Forward([&] { controller.PlaySong(number); }); });
    playback = new QTimer(this);
    playback->setInterval(250);
    connect(playback, &QTimer::timeout, this, [this] { controller.FollowPlayback(); });
    for (QWidget* field : std::initializer_list<QWidget*>{packField, GameFolderField(), gameList})
        field->installEventFilter(this);
}

QLineEdit* PatcherWindow::PackField() const {
    return packField;
}

QLineEdit* PatcherWindow::GameFolderField() const {
    return gameList->lineEdit();
}

void PatcherWindow::Draw() {
    const PatcherView& view = controller.View();
    DrawGameFolderChoices(view.gameFolderChoices);
    ShowPath(GameFolderField(), view.gameFolder);
    ShowNote(gameFlag, view.gameFolderFlag);
    ShowPath(packField, view.packPath);
    preview->ShowSongs(view.preview);
    preview->ShowPlaying(view.playingSong);
    listening->setText(QString::fromStdString(view.listening));
    ShowNote(packNote, view.packNote);
    stateLine->setText(QString::fromStdString(view.stateLine));
    applyButton->setEnabled(view.applyEnabled);
    backupButton->setEnabled(view.backupEnabled);
    restoreButton->setEnabled(view.restoreEnabled);
    DrawBusy(view.busy);
    if (view.closing != PatcherView::Closing::No && !closing) {
        closing = true;
        const bool handedOn = view.closing == PatcherView::Closing::Done;
        QTimer::singleShot(0, this, handedOn ? &QDialog::accept : &QDialog::reject);
    }
}

// The drop-down only ever gains folders.
void PatcherWindow::DrawGameFolderChoices(const std::vector<std::string>& choices) {
    const QSignalBlocker quiet(gameList);
    for (std::size_t i = static_cast<std::size_t>(gameList->count()); i < choices.size(); ++i) {
        const QString path = QString::fromStdString(choices[i]);
        gameList->addItem(path);
        gameList->setItemData(gameList->count() - 1, path, Qt::ToolTipRole);
    }
}

void PatcherWindow::DrawBusy(bool busy) {
    if (busy == busyShown)
        return;
    busyShown = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// Qt cannot carry exceptions through its event loop: they are reported here instead.
template <typename Call> void PatcherWindow::Forward(Call call) {
    try {
        call();
    } catch (const std::exception& error) {
        QMessageBox::critical(this, QStringLiteral("Palisor"),
                              QStringLiteral("An unexpected error occurred: %1")
                                  .arg(QString::fromUtf8(error.what())));
    }
    Draw();
}

bool PatcherWindow::PrepareForUse() {
    started = true;
    bool ready = false;
    Forward([&] { ready = controller.Start(); });
    return ready;
}

void PatcherWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started)
        return;
    PrepareForUse();
    // What the window first shows (the state line, a pack's songs) is known now; a screen too
    // small for all of it gets a window that fits, and the song list scrolls.
    const QRect screenArea = screen()->availableGeometry();
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    resize(std::min(width(), screenArea.width()),
           std::min(std::max(height(), sizeHint().height()), screenArea.height() - titleBar));
}

void PatcherWindow::OfferGameFolders(const std::vector<std::string>& folders) {
    Forward([&] { controller.OfferGameFolders(folders); });
}

void PatcherWindow::SetSongPlayer(SongPlayer* player) {
    Forward([&] { controller.SetSongPlayer(player); });
    // Its line keeps the room of one line of text, so that a pack chosen later takes none
    // from the preview.
    const QString shown = listening->text();
    listening->setText(QStringLiteral(" "));
    listening->setMinimumHeight(player ? listening->sizeHint().height() : 0);
    listening->setText(shown);
    listening->setVisible(player != nullptr);
    if (player)
        playback->start();
    else
        playback->stop();
}

void PatcherWindow::done(int result) {
    controller.StopListening();
    playback->stop();
    QDialog::done(result);
}

void PatcherWindow::NoteRegistryRefusal(const std::string& refusal) {
    Forward([&] { controller.NoteRegistryRefusal(refusal); });
}

void PatcherWindow::ChooseGameFolder(const std::string& folder) {
    Forward([&] { controller.ChooseGameFolder(folder); });
}

void PatcherWindow::ChoosePack(const std::string& pack) {
    Forward([&] { controller.ChoosePack(pack); });
}

// A path typed into a field and not yet confirmed (a button clicked without leaving the
// field) is taken as well.
void PatcherWindow::TakeTypedPaths() {
    controller.ChooseGameFolder(FieldPath(GameFolderField()));
    controller.ChoosePack(FieldPath(packField));
}

void PatcherWindow::BrowseForPack() {
    Forward([&] { controller.BrowseForPack(); });
}

void PatcherWindow::BrowseForGameFolder() {
    Forward([&] { controller.BrowseForGameFolder(); });
}

void PatcherWindow::ApplyPatch() {
    ProgressWindow progress(this);
    Forward([&] {
        TakeTypedPaths();
        controller.Apply(progress);
    });
}

void PatcherWindow::BackupOriginals() {
    Forward([&] {
        TakeTypedPaths();
        controller.Backup();
    });
}

void PatcherWindow::RestoreOriginals() {
    Forward([&] {
        TakeTypedPaths();
        controller.Restore();
    });
}

void PatcherWindow::ShowAbout() {
    AboutWindow about(this, &prompts);
    about.exec();
}

void PatcherWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // A field has confirmed its text by now; the window itself never closes on Enter.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape closes as Cancel
}

// An Alt+letter that no enabled control takes (a disabled button's access key) would type
// its letter into the path field.
bool PatcherWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::AltModifier)
        return true;
    return QDialog::eventFilter(watched, event);
}

void PatcherWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Palisor..."), this, &PatcherWindow::ShowAbout);
    menu.exec(event->globalPos());
}
