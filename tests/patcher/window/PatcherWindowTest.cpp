// What only Palisor's window does: draw the controller's view, forward clicks and typed paths,
// keyboard access, and a layout that follows the font. The decisions behind what it shows are
// GameFolderControllerTest's.
#include "patcher/window/PatcherWindow.h"

#include "patcher/install/WorkFolderPaths.h"
#include "patcher/window/AboutWindow.h"
#include "patcher/window/ElidedPathEdit.h"
#include "patcher/window/PackPreviewList.h"
#include "patcher/window/RecentChoices.h"
#include "platform/FileOps.h"
#include "tests/patcher/FakeGameFolderAccess.h"
#include "tests/patcher/FakeSongPlayer.h"
#include "tests/patcher/GameScene.h"
#include "widgets/HyperlinkLabel.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QtTest>

#include <memory>

using Messages = std::vector<std::string>;

namespace {

// Every control the window lays out, in the design's order.
std::vector<QWidget*> Controls(const PatcherWindow& window) {
    return {window.PackField(),      window.PackBrowseButton(), window.PreviewList(),
            window.GameFolderList(), window.GameBrowseButton(), window.StateLine(),
            window.ApplyButton(),    window.BackupButton(),     window.RestoreButton()};
}

// Whether all sixteen rows of the preview are in view without scrolling.
bool ShowsAllSongs(PackPreviewList* list) {
    QCoreApplication::processEvents();
    return list->topLevelItemCount() == 16 && list->verticalScrollBar()->maximum() == 0 &&
           list->visualItemRect(list->topLevelItem(15)).bottom() < list->viewport()->height();
}

} // namespace

class PatcherWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> settingsFolder;
    std::unique_ptr<GameScene> scene;

    std::unique_ptr<PatcherWindow> OpenWindow(const std::string& gameFolder,
                                              GameFolderAccess* access = nullptr,
                                              SongPlayer* player = nullptr) {
        auto window =
            std::make_unique<PatcherWindow>(gameFolder, scene->base, &scene->prompts, access);
        window->SetSongPlayer(player); // before it is shown, as Palisor does
        window->show();
        QCoreApplication::processEvents();
        return window;
    }

private slots:
    void initTestCase() {
        settingsFolder = std::make_unique<TempFolder>();
        // A file in a folder of the test's own, never the Windows registry.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder->path()));
        // The Windows dialog fonts, where Wine has left them on a Linux machine.
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/ms_sans_serif.ttf"})
            if (FileExists(file))
                QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    }

    void init() {
        scene = std::make_unique<GameScene>();
        QVERIFY(FolderExists(scene->base));
    }

    void drawsTheView() {
        QVERIFY(scene->Backup());
        scene->prompts = FakePrompts();
        auto window = OpenWindow(scene->game);
        window->ChoosePack(scene->pack);
        QCOMPARE(window->windowTitle(), QStringLiteral("Palisor 1.02.2"));
        QCOMPARE(window->GameFolderField()->text().toStdString(), scene->game);
        QCOMPARE(window->PackField()->text().toStdString(), scene->pack);
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("Backups made and checked. No pack installed."));
        QVERIFY(window->GameFolderFlag()->isHidden());
        QVERIFY(window->PackNote()->isHidden());
        QVERIFY(window->ApplyButton()->isEnabled());
        QVERIFY(!window->BackupButton()->isEnabled());
        QVERIFY(window->RestoreButton()->isEnabled());
        QVERIFY(window->PackBrowseButton()->isEnabled());
        QVERIFY(window->GameBrowseButton()->isEnabled());
        const auto* list = window->PreviewList();
        QCOMPARE(list->topLevelItemCount(), 16);
        QCOMPARE(list->topLevelItem(8)->text(0), QStringLiteral("09"));
        QCOMPARE(list->topLevelItem(8)->text(1), QStringLiteral("Song 9"));
        QCOMPARE(list->topLevelItem(8)->text(2), QStringLiteral("0:00"));
        QCOMPARE(window->GameFolderList()->count(), 1);

        window->ChooseGameFolder(scene->temp.file("nowhere"));
        QCOMPARE(window->GameFolderFlag()->text(), QStringLiteral("This folder does not exist."));
        QVERIFY(window->GameFolderFlag()->isVisible());
        QCOMPARE(window->StateLine()->text(), QStringLiteral("The chosen folder does not exist."));
        WriteFileBytes(scene->pack, "x");
        window->ChoosePack("");
        window->ChoosePack(scene->pack);
        QCOMPARE(window->PackNote()->text(), QStringLiteral("Not a valid velk file."));
        QCOMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!window->ApplyButton()->isEnabled());
        QVERIFY(!window->RestoreButton()->isEnabled());
    }

    void longPathsAreElidedInTheMiddle() {
        const std::string deep = JoinPath(scene->game, std::string(150, 'x'));
        auto window = OpenWindow(deep);
        auto* field = qobject_cast<ElidedPathEdit*>(window->GameFolderField());
        QVERIFY(field != nullptr);
        window->BackupButton()->setFocus(); // while edited, the field shows its text whole
        const QString shown = field->ShownText();
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(shown.startsWith(QString::fromStdString(scene->game).left(4)));
        QVERIFY(shown.endsWith(QStringLiteral("xxx")));
        QCOMPARE(field->toolTip().toStdString(), deep);
    }

    void clicksAndTypedPathsAreForwarded() {
        auto window = OpenWindow("");
        QVERIFY(!window->BackupButton()->isEnabled());
        // Typed, then confirmed with Enter: taken.
        QTest::keyClicks(window->GameFolderField(), QString::fromStdString(scene->game));
        QTest::keyClick(window->GameFolderField(), Qt::Key_Return);
        QCOMPARE(window->GameFolder(), scene->game);
        QVERIFY(window->BackupButton()->isEnabled());
        QVERIFY(scene->prompts.messages.empty()); // Enter in a field pressed nothing
        // Typed and a button pressed at once: the typed pack is the one used.
        window->PackField()->setText(QString::fromStdString(scene->pack));
        window->BackupButton()->click();
        QCOMPARE(window->PackPath(), scene->pack);
        QCOMPARE(scene->prompts.information,
                 Messages{"Your files are now backed up in: " + scene->Game().Backups()});
        QVERIFY(QApplication::overrideCursor() == nullptr); // the busy cursor is gone
        QVERIFY(!window->BackupButton()->isEnabled());
        QVERIFY(window->RestoreButton()->isEnabled());
        window->ApplyButton()->click(); // behind the progress window
        QCOMPARE(scene->prompts.messages.back(), std::string("Patching Is Done!"));
        QVERIFY(window->isEnabled());
        window->RestoreButton()->click();
        QCOMPARE(scene->prompts.messages.back(),
                 std::string("Your original files have been restored."));
        QCOMPARE(RecentChoices::GameFolder(), scene->game);
        QCOMPARE(RecentChoices::Pack(), scene->pack);

        // Browsed and picked from the drop-down.
        const std::string other = WithSystemSeparators(scene->temp.file("Other"));
        QVERIFY(CreateFolder(other));
        scene->prompts.answers = {other};
        window->GameBrowseButton()->click();
        QCOMPARE(window->GameFolder(), other);
        window->OfferGameFolders({other});
        QCOMPARE(window->GameFolderList()->count(), 2);
        emit window->GameFolderList()->activated(0);
        QCOMPARE(window->GameFolder(), scene->game);
        scene->prompts.answers = {std::nullopt};
        window->PackBrowseButton()->click();
        QCOMPARE(scene->prompts.dialogs.back().kind, std::string("open"));
        QCOMPARE(window->PackPath(), scene->pack);
    }

    void accessKeysPressTheirButtonsAndNeverTypeIntoAField() {
        auto window = OpenWindow(scene->game);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const std::pair<QWidget*, QString> underlined[] = {
            {window->ApplyButton(), QStringLiteral("&Apply The Music Patch")},
            {window->BackupButton(), QStringLiteral("&Backup Originals")},
            {window->RestoreButton(), QStringLiteral("&Restore Originals")},
            {window->PackBrowseButton(), QStringLiteral("Br&owse...")},
            {window->GameBrowseButton(), QStringLiteral("Bro&wse...")}};
        for (const auto& [button, text] : underlined)
            QCOMPARE(qobject_cast<QPushButton*>(button)->text(), text);
        // The labels take the focus to their fields.
        QTest::keyClick(window.get(), Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->PackField()));
        QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->GameFolderList()));
        // Apply and Restore are off: their keys do nothing, not even type into the field.
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_R})
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QTest::qWait(200);
        QCOMPARE(window->GameFolderField()->text().toStdString(), scene->game);
        QVERIFY(scene->prompts.messages.empty());
        // A button's key clicks it as a mouse would, pressed for a moment.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(scene->prompts.messages,
                     Messages{"Your files are now backed up in: " + scene->Game().Backups()});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        QTRY_COMPARE(scene->prompts.messages.size(), std::size_t(2));
        QCOMPARE(scene->prompts.messages.back(),
                 std::string("Your original files have been restored."));
    }

    void enterPressesTheFocusedButtonAndEscapeCloses() {
        auto window = OpenWindow(scene->game);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (QWidget* field : std::initializer_list<QWidget*>{
                 window->PackField(), window->GameFolderField(), window->PreviewList()}) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Return);
            QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY(window->isVisible());
        }
        QVERIFY(scene->prompts.messages.empty());
        window->BackupButton()->setFocus();
        QTest::keyClick(window->BackupButton(), Qt::Key_Return);
        QCOMPARE(scene->prompts.messages.size(), std::size_t(1));
        window->RestoreButton()->setFocus();
        QTest::keyClick(window->RestoreButton(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(scene->prompts.messages.back(),
                 std::string("Your original files have been restored."));
        QVERIFY(window->isVisible());
        // The preview is in the Tab order, so the keyboard reaches songs 9 to 16.
        window->PackBrowseButton()->setFocus();
        QTest::keyClick(window->PackBrowseButton(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->PreviewList()));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
    }

    // The layout follows the font: nothing is cut, the preview shows all sixteen songs at the
    // window's first size (where the screen has the room), and the smallest window keeps every
    // control on a small screen at a scale factor of 2 (1280 x 900 is 640 x 450 of the window's
    // own pixels, less a title bar).
    void layoutFollowsTheFont() {
        const QFont original = QApplication::font();
        const QStringList families = QFontDatabase::families();
        for (const char* family : {"DejaVu Sans", "Tahoma", "MS Sans Serif"}) {
            if (!families.contains(QString::fromLatin1(family)))
                continue;
            for (const int points : {8, 10}) {
                const QString label = QStringLiteral("%1 %2").arg(family).arg(points);
                QApplication::setFont(QFont(QString::fromLatin1(family), points));
                FakeSongPlayer player; // its line under the preview takes room too
                auto window = OpenWindow(scene->game, nullptr, &player);
                window->ChoosePack(scene->pack);
                // Unless the screen is too small for it: then the window fills its height.
                const int screenRoom = window->screen()->availableGeometry().height() -
                                       window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
                QVERIFY2(ShowsAllSongs(window->PreviewList()) || window->height() >= screenRoom,
                         qPrintable(label));
                for (auto* text : window->findChildren<QLabel*>()) {
                    const QSize needed = text->wordWrap()
                                             ? QSize(0, text->heightForWidth(text->width()))
                                             : text->sizeHint();
                    QVERIFY2(!text->isVisible() || (text->width() >= needed.width() &&
                                                    text->height() >= needed.height()),
                             qPrintable(label + ": " + text->text()));
                }
                for (auto* button : window->findChildren<QPushButton*>())
                    QVERIFY2(button->width() >= button->sizeHint().width() &&
                                 button->height() >= button->sizeHint().height(),
                             qPrintable(label + ": " + button->text()));
                QVERIFY2(window->minimumWidth() <= 640, qPrintable(label));
                QVERIFY2(window->minimumHeight() <= 450 - 30, qPrintable(label));
                window->resize(window->minimumSize());
                QCoreApplication::processEvents();
                for (QWidget* control : Controls(*window))
                    QVERIFY2(window->rect().contains(control->mapTo(window.get(), QPoint(0, 0))) &&
                                 window->rect().contains(control->mapTo(
                                     window.get(),
                                     QPoint(control->width(), control->height()) - QPoint(1, 1))),
                             qPrintable(label + " " + control->metaObject()->className()));
            }
        }
        QApplication::setFont(original);
    }

    void growingGivesTheRoomToThePreview() {
        auto window = OpenWindow(scene->game);
        QVERIFY(window->minimumSize() != window->maximumSize()); // resizable
        window->resize(window->minimumSize());
        QCoreApplication::processEvents();
        const QSize small = window->PreviewList()->size();
        const QPoint restore = window->RestoreButton()->mapTo(window.get(), QPoint());
        window->resize(window->minimumSize() + QSize(120, 90));
        QCoreApplication::processEvents();
        QCOMPARE(window->PreviewList()->width(), small.width() + 120);
        QVERIFY(window->PreviewList()->height() >= small.height() + 90);
        QCOMPARE(window->RestoreButton()->mapTo(window.get(), QPoint()).x(), restore.x() + 120);
    }

    void aWindowThatCannotWorkCloses() {
        scene->base = WithSystemSeparators(scene->temp.file("missing/base"));
        auto window = OpenWindow(scene->game);
        QCOMPARE(scene->prompts.messages,
                 Messages{"Error while trying to create folder: " + WorkFolderIn(scene->base)});
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
    }

    void aRestartAsAdministratorClosesTheWindow() {
        FakeGameFolderAccess access;
        access.deniedFolders = {scene->game};
        auto window = OpenWindow(scene->game, &access);
        scene->prompts.questionAnswers = {Prompts::Answer::Yes};
        window->BackupButton()->click();
        QCOMPARE(access.restarts.size(), std::size_t(1));
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
    }

    // Enter on the current song and a double-click on a song are forwarded to be played; what
    // plays is drawn, and so is a missing sound output.
    void enterAndDoubleClickOnASongPlayIt() {
        FakeSongPlayer player;
        auto window = OpenWindow(scene->game, nullptr, &player);
        window->ChoosePack(scene->pack);
        PackPreviewList* list = window->PreviewList();
        QCOMPARE(list->topLevelItemCount(), 16);
        QCOMPARE(window->ListeningLine()->text().toStdString(),
                 std::string(GameFolderController::kListeningHint));
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(2));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(player.played.size(), std::size_t(1));
        QCOMPARE(player.played.back().second, 3);
        QTRY_COMPARE(window->ListeningLine()->text(),
                     QStringLiteral("Playing 03 Song 3  0:12 / 3:07"));
        QVERIFY(window->ListeningLine()->isVisible());
        QVERIFY(list->topLevelItem(2)->font(1).bold());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(player.played.back().second, 4);
        QVERIFY(!list->topLevelItem(2)->font(1).bold());
        const QRect row = list->visualItemRect(list->topLevelItem(6));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QCOMPARE(player.played.back().second, 7);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QCOMPARE(player.stops, 1); // the song that plays stops; another took its place before
        QVERIFY(window->isVisible());
        QVERIFY(scene->prompts.messages.empty());

        player.output = Player::Output::Unavailable;
        QTRY_COMPARE(window->ListeningLine()->text(), QStringLiteral("No sound output"));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(player.played.size(), std::size_t(3));
        window->SetSongPlayer(nullptr);
    }

    void aboutWindowShowsTheVersionLicenceAndHomePage() {
        AboutWindow about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Palisor"));
        QStringList texts;
        for (auto* label : about.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Palisor Version 1.02.2")));
        QVERIFY(texts.contains(QStringLiteral("Free software under the GNU General Public "
                                              "License,\nversion 3 or later (GPL-3.0-or-later).")));
        auto* link = about.findChild<HyperlinkLabel*>();
        QVERIFY(link != nullptr);
        QCOMPARE(link->Address(), QStringLiteral("https://korvane.example.org/"));
        auto window = OpenWindow(scene->game);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<AboutWindow*>(QApplication::activeModalWidget())) {
                shown = true;
                dialog->accept();
            }
        });
        QTest::keyClick(window.get(), Qt::Key_F1);
        QVERIFY(shown);
    }
};

QTEST_MAIN(PatcherWindowTest)
#include "PatcherWindowTest.moc"
