#include "patcher/window/PatcherWindow.h"

#include "common/FileOps.h"
#include "common/FolderLock.h"
#include "patcher/ApplyPatch.h"
#include "patcher/Backup.h"
#include "patcher/GameFolderRecovery.h"
#include "patcher/PatchInstall.h"
#include "patcher/window/AboutWindow.h"
#include "patcher/window/PalisorIcon.h"
#include "widgets/DialogUnits.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/ProgressWindow.h"
#include "widgets/QtPrompts.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

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

} // namespace

PatcherWindow::PatcherWindow(std::string initialGameFolder, std::string workBase,
                             Prompts* givenPrompts, QWidget* parent)
    : QDialog(parent), gameFolder(std::move(initialGameFolder)), baseFolder(std::move(workBase)),
      prompts(ChoosePrompts(givenPrompts, ownPrompts, this)) {
    setWindowTitle(QStringLiteral("Palisor 1.02.2"));
    setWindowIcon(PalisorIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    BuildLayout();
    ShowPath(gameField, gameFolder);
    ShowPath(packField, packPath);
    applyButton->setEnabled(false);
    bool complete = BackupsComplete(gameFolder);
    restoreButton->setEnabled(complete);
    backupButton->setEnabled(!complete);
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, &PatcherWindow::ShowAbout);
}

PatcherWindow::~PatcherWindow() = default;

QPushButton* PatcherWindow::AddButton(const QString& text, int x, int y, int width, int height) {
    auto* button = new QPushButton(text, this);
    button->setGeometry(DialogUnitsToPixels(*this, x, y, width, height));
    // Enter closes the window as a dialog's OK does; it never presses a focused button.
    button->setAutoDefault(false);
    WidenToText(button, text, 12, this->width());
    return button;
}

void PatcherWindow::BuildLayout() {
    setFixedSize(DialogUnitsToPixels(*this, 0, 0, 297, 166).size());
    auto addLabel = [&](const QString& text, int x, int y, int width, int height) {
        auto* label = new QLabel(text, this);
        label->setGeometry(DialogUnitsToPixels(*this, x, y, width, height));
        if (height <= 8) // one line; longer texts wrap instead
            WidenToText(label, text, 2, this->width());
        return label;
    };
    auto addField = [&](int x, int y) {
        auto* field = new QLineEdit(this);
        field->setGeometry(DialogUnitsToPixels(*this, x, y, 160, 15));
        return field;
    };
    (new QGroupBox(QStringLiteral("Patching"), this))
        ->setGeometry(DialogUnitsToPixels(*this, 5, 6, 285, 75));
    (new QGroupBox(QStringLiteral("Backup"), this))
        ->setGeometry(DialogUnitsToPixels(*this, 5, 86, 285, 56));
    addLabel(QStringLiteral("Music Patch File (.velk)"), 10, 19, 76, 8);
    packField = addField(90, 19);
    packBrowse = AddButton(QStringLiteral("Browse..."), 252, 19, 35, 14);
    addLabel(QStringLiteral("BFV Folder"), 10, 40, 36, 8);
    gameField = addField(90, 40);
    gameBrowse = AddButton(QStringLiteral("Browse..."), 252, 40, 35, 14);
    applyButton = AddButton(QStringLiteral("Apply The Music Patch"), 209, 61, 78, 14);
    addLabel(QStringLiteral("Backups of the original files for BFV will be put into a directory "
                            "underneath BFV called custom_music/backups."),
             10, 97, 275, 17)
        ->setWordWrap(true);
    backupButton = AddButton(QStringLiteral("Backup Originals"), 10, 121, 80, 15);
    restoreButton = AddButton(QStringLiteral("Restore Originals"), 208, 121, 80, 14);
    link = new HyperlinkLabel(this);
    link->setText(QString::fromLatin1(kLinkAddress));
    link->setGeometry(DialogUnitsToPixels(*this, 205, 151, 83, 8));
    link->setAlignment(Qt::AlignRight | Qt::AlignVCenter); // grows to the left when fitted
    link->SetPrompts(&prompts);
    link->Attach();

    connect(packBrowse, &QPushButton::clicked, this, &PatcherWindow::BrowseForPack);
    connect(gameBrowse, &QPushButton::clicked, this, &PatcherWindow::BrowseForGameFolder);
    connect(applyButton, &QPushButton::clicked, this, &PatcherWindow::ApplyPatch);
    connect(backupButton, &QPushButton::clicked, this, &PatcherWindow::BackupOriginals);
    connect(restoreButton, &QPushButton::clicked, this, &PatcherWindow::RestoreOriginals);
}

bool PatcherWindow::PrepareForUse() {
    prepared = true;
    bool ready = false;
    Guarded([&] { ready = session.Begin(baseFolder, prompts); });
    if (!ready)
        QTimer::singleShot(0, this, &QDialog::reject);
    else
        RecoverGameFolder();
    return ready;
}

void PatcherWindow::RecoverGameFolder() {
    if (!GameFolderExists(gameFolder))
        return;
    Guarded([&] {
        FolderLock gameLock;
        BeginGameChange(gameFolder, prompts, gameLock);
    });
}

void PatcherWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!prepared)
        PrepareForUse();
}

void PatcherWindow::BrowseForPack() {
    FileDialogOptions options{"VELK Files (*.velk)|*.velk||", "velk", "*.velk"};
    std::string chosen;
    if (!prompts.OpenFile(options, chosen))
        return;
    packPath = chosen;
    ShowPath(packField, packPath);
    applyButton->setEnabled(FileExists(packPath));
}

void PatcherWindow::BrowseForGameFolder() {
    std::string chosen;
    if (!prompts.BrowseFolder("Find The BFV Folder", chosen))
        return;
    gameFolder = chosen;
    ShowPath(gameField, gameFolder);
    RecoverGameFolder();
}

void PatcherWindow::ApplyPatch() {
    ProgressWindow progress(this);
    Guarded([&] { ::ApplyPatch(gameFolder, packPath, baseFolder, prompts, progress); });
}

void PatcherWindow::BackupOriginals() {
    Guarded([&] { ::BackupOriginals(gameFolder, prompts, *this); });
}

void PatcherWindow::RestoreOriginals() {
    Guarded([&] { ::RestoreOriginals(gameFolder, prompts, *this); });
}

void PatcherWindow::ShowAbout() {
    AboutWindow about(this);
    about.exec();
}

void PatcherWindow::ShowPath(QLineEdit* field, const std::string& path) {
    field->setText(QString::fromLocal8Bit(path.c_str()));
    field->setCursorPosition(0); // show where the path begins, as a Windows edit does
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
            accept();
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
    QMessageBox::critical(this, QStringLiteral("Palisor"),
                          QStringLiteral("An unexpected error occurred: %1")
                              .arg(QString::fromLocal8Bit(error.what())));
}

template <typename Handler> void PatcherWindow::Guarded(Handler handler) {
    // Qt cannot carry exceptions through its event loop: report them here instead.
    try {
        handler();
    } catch (const std::exception& error) {
        ShowUnexpectedError(error);
    }
}
