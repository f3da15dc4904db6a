// What only Korvane's window does: drawing the controller's state, forwarding the user's
// actions, the keyboard, drag and drop, sizes and fonts. The decisions are tested in
// ProjectControllerTest.
#include "builder/window/BuilderWindow.h"
#include "builder/ProjectPaths.h"
#include "builder/window/AboutBox.h"
#include "builder/window/SlotList.h"
#include "tests/support/Environment.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/QtPrompts.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QOperatingSystemVersion>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTableWidget>
#include <QUrl>
#include <QtTest>

namespace {

QString Cell(const BuilderWindow& window, int row, int column) {
    return window.list()->item(row, column)->text();
}

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// Text on the clipboard ends its lines as the system's own editors expect.
QString LineEnd() {
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows
               ? QStringLiteral("\r\n")
               : QStringLiteral("\n");
}

bool RowMarked(const BuilderWindow& window, int row) {
    return window.list()->item(row, 2)->data(Qt::BackgroundRole).isValid();
}

bool StatusMarked(const BuilderWindow& window, int row) {
    return !window.list()->item(row, 4)->icon().isNull();
}

int SelectedRow(const BuilderWindow& window) {
    const QModelIndexList rows = window.list()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

QStringList RecentEntries(const BuilderWindow& window) {
    emit window.menuBar()->actions().front()->menu()->aboutToShow();
    QStringList entries;
    for (QAction* action : window.recentMenu()->actions())
        entries << action->text();
    return entries;
}

// Drags local files over the list at a row (-1: below the rows) and drops them there, as the
// desktop would; yields the rows framed while they hovered.
std::vector<int> DropFiles(const BuilderWindow& window, const QStringList& files, int row) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const QTableWidget& list = *window.list();
    const QPoint at(40, row < 0 ? list.viewport()->height() - 2
                                : list.rowViewportPosition(row) + list.rowHeight(row) / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &enter); // makes the list the drag's target
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &move);
    const std::vector<int> framed = window.slotList()->DropRows();
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &drop);
    return framed;
}

// A control shows all of its text: at least as wide and high as it asks to be.
bool ShowsItsText(const QWidget& control) {
    return control.width() >= control.sizeHint().width() &&
           control.height() >= control.minimumSizeHint().height();
}

} // namespace

class BuilderWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BuilderWindow> window;
    FakePrompts prompts;
    TempFolder folder;
    TempFolder settingsFolder;

private slots:
    void initTestCase() {
        // A file in a folder of the test's own, never the Windows registry.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder.path()));
        QCoreApplication::setOrganizationName("KorvaneWindowTests");
        // Sound that goes nowhere, at the pace of a real device.
        SetEnvironment("SDL_AUDIODRIVER", "dummy");
    }

    void init() {
        QSettings().clear();
        prompts = FakePrompts();
        window.reset(); // one player at a time: SDL's dummy output has one device
        window = std::make_unique<BuilderWindow>(folder.path());
        window->SetPrompts(&prompts);
        window->SetProgressFactory(
            [](QWidget*) -> std::unique_ptr<Progress> { return std::make_unique<FakeProgress>(); });
    }

    void drawsTheControllersStateAtStartUp() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - New Project[*]"));
        QVERIFY(!window->isWindowModified());
        QVERIFY(window->list()->selectionModel()->selectedRows().isEmpty());
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window->titleField(), window->pathField(), window->browseButton(),
                 window->moveUpButton(), window->moveDownButton()})
            QVERIFY(!control->isEnabled());
        QCOMPARE(window->titleField()->text(), QString());
        QCOMPARE(window->pathField()->text(), QString());
        QCOMPARE(window->qualityField()->text(), QStringLiteral("4"));
        QVERIFY(window->inGameLabel()->isHidden());
        const std::pair<QLineEdit*, QString> times[] = {{window->startField(), "0.0"},
                                                        {window->endField(), "end"},
                                                        {window->fadeInField(), "0.0"},
                                                        {window->fadeOutField(), "0.0"}};
        for (const auto& [field, empty] : times) {
            QVERIFY(!field->isEnabled());
            QCOMPARE(field->text(), QString());
            QCOMPARE(field->placeholderText(), empty);
        }
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window->playButton(), window->stopButton(), window->positionSlider()})
            QVERIFY(!control->isEnabled());
        QCOMPARE(window->playButton()->text(), QStringLiteral("Pl&ay"));
        QCOMPARE(window->gameVersionBox()->text(), QStringLiteral("As the &game plays it"));
        QVERIFY(!window->gameVersionBox()->isChecked());

        QTableWidget* list = window->list();
        QCOMPARE(list->rowCount(), 16);
        const QStringList headings{"ID", "Letter", "Title", "Length", "Status"};
        const int widths[] = {30, 50, 200, 100, 100};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(list->horizontalHeaderItem(column)->text(), headings[column]);
            QCOMPARE(list->columnWidth(column), widths[column]);
        }
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(Cell(*window, 0, 0), QStringLiteral("01"));
        QCOMPARE(Cell(*window, 15, 0), QStringLiteral("16"));
        QCOMPARE(Cell(*window, 15, 1), QStringLiteral("P"));
        QCOMPARE(Cell(*window, 3, 2), QStringLiteral("empty slot"));
        QCOMPARE(Cell(*window, 3, 3), QStringLiteral("0"));
        QCOMPARE(Cell(*window, 3, 4), QStringLiteral("no file"));
        QVERIFY(StatusMarked(*window, 3));
    }

    void menus() {
        QList<QAction*> menus = window->menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        QCOMPARE(MenuTexts(menus[0]->menu()),
                 (QStringList{"&New Project", "-", "&Open Project...", "&Recent Projects",
                              "&Save Project", "Save Project &As...", "-", "A&dd Songs...",
                              "&Match Loudness", "-", "&Copy List To Clipboard", "-",
                              "&Build VELK...", "-", "E&xit"}));
        QCOMPARE(MenuTexts(menus[1]->menu()), QStringList{"&About Korvane..."});
        QStringList shortcuts;
        for (QMenu* menu : {menus[0]->menu(), menus[1]->menu()})
            for (QAction* action : menu->actions())
                if (!action->shortcut().isEmpty())
                    shortcuts << action->shortcut().toString();
        QCOMPARE(shortcuts, (QStringList{"Ctrl+N", "Ctrl+O", "Ctrl+S", "Ctrl+Shift+S", "Ctrl+I",
                                         "Ctrl+Q", "F1"}));
        prompts.saveAnswers = {Prompts::SaveChoice::Discard};
        menus[0]->menu()->actions().at(2)->trigger(); // Open Project... forwards
        QCOMPARE(prompts.dialogs.size(), std::size_t(1));
        QCOMPARE(prompts.dialogs[0].kind, std::string("open"));
    }

    void forwardsSelectionAndTypingAndDrawsTheAnswer() {
        const std::string path = folder.file("s.wav");
        WriteFileBytes(path, MakeWav(1, 8000, 16, std::string(48000, '\0')));
        window->list()->selectRow(2);
        QVERIFY(window->pathField()->isEnabled());
        QCOMPARE(window->controller().View().selectedRow, 2);
        QTest::keyClicks(window->pathField(), QString::fromStdString(path));
        QCOMPARE(Cell(*window, 2, 4), QStringLiteral("Ok"));
        QCOMPARE(Cell(*window, 2, 3), QStringLiteral("3.0"));
        QVERIFY(!StatusMarked(*window, 2));
        QVERIFY(window->isWindowModified());
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("[*]")));

        window->titleField()->selectAll();
        QTest::keyClicks(window->titleField(), QStringLiteral("Caf"));
        window->titleField()->insert(
            QStringLiteral("\u00E9 \u03A9")); // Greek: not in the code page
        QCOMPARE(window->titleField()->text(), QStringLiteral("Caf\u00E9 \u03A9")); // as typed
        QCOMPARE(Cell(*window, 2, 2), QStringLiteral("Caf\u00E9 ?"));
        QVERIFY(RowMarked(*window, 2));
        QVERIFY(!window->list()->item(2, 2)->toolTip().isEmpty());
        QVERIFY(!window->inGameLabel()->isHidden());
        QCOMPARE(window->inGameLabel()->toolTip(), QStringLiteral("In game: Caf\u00E9 ?"));
        window->list()->selectRow(3);
        QVERIFY(window->inGameLabel()->isHidden());
        QCOMPARE(window->pathField()->text(), QString());
    }

    void moveButtonsForwardClicksAndKeepTheListFocused() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->project().SlotAt(1).SetTitle("First");
        window->list()->selectRow(0);
        QTest::mouseClick(window->moveDownButton(), Qt::LeftButton);
        QCOMPARE(SelectedRow(*window), 1);
        QCOMPARE(Cell(*window, 1, 2), QStringLiteral("First"));
        QCOMPARE(window->titleField()->text(), QStringLiteral("First"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->list()));
        QTest::mouseClick(window->moveUpButton(), Qt::LeftButton);
        QCOMPARE(SelectedRow(*window), 0);
    }

    void refusedQualityIsSelectedForRetyping() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->qualityField()->setText(QStringLiteral("x"));
        QCOMPARE(prompts.messages,
                 std::vector<std::string>{"Please enter an integer for the Ogg quality."});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->qualityField()));
        QCOMPARE(window->qualityField()->selectedText(), QStringLiteral("x"));
    }

    void enterKeepsTheWindowOpenEscapeClosesIt() {
        window->show();
        window->list()->selectRow(0);
        window->titleField()->setFocus();
        QTest::keyClicks(window->titleField(), QStringLiteral("!"));
        QTest::keyClick(window->titleField(), Qt::Key_Return);
        QVERIFY(window->isVisible());
        QCOMPARE(window->project().SlotAt(1).title(), std::string("empty slot!"));
        window->qualityField()->setText(QStringLiteral("0"));
        QTest::keyClick(window.get(), Qt::Key_Return);
        QVERIFY(window->isVisible());
        QCOMPARE(prompts.messages.back(),
                 std::string("Please enter an Ogg quality between 1 and 10."));

        window->qualityField()->setText(QStringLiteral("5"));
        prompts.saveAnswers = {Prompts::SaveChoice::Cancel, Prompts::SaveChoice::Discard};
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(window->isVisible()); // Cancel keeps it open
        window->close();
        QVERIFY(!window->isVisible());
        QCOMPARE(prompts.saveQuestions, (std::vector<std::string>{"Save changes to the project?",
                                                                  "Save changes to the project?"}));
    }

    void dragFramesTheRowsAndADroppedProjectOpens() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->project().SlotAt(3).SetTitle("Taken");
        window->project().SlotAt(3).SetStoredPath("held.wav");
        const QStringList three{"/music/a.flac", "/music/b.mp3", "/music/c.ogg"};
        QTableWidget* list = window->list();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(three[0]), QUrl::fromLocalFile(three[1]),
                      QUrl::fromLocalFile(three[2])});
        const QPoint overC(40, list->rowViewportPosition(2) + 2);
        QDragEnterEvent enter(overC, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(overC, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QCOMPARE(window->slotList()->DropRows(), (std::vector<int>{2, 3, 4}));
        const QPoint below(40, list->viewport()->height() - 2);
        QDragMoveEvent moveBelow(below, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &moveBelow);
        QCOMPARE(window->slotList()->DropRows(), (std::vector<int>{0, 1, 3})); // the empty ones
        QDragLeaveEvent leave;
        QApplication::sendEvent(list->viewport(), &leave);
        QVERIFY(window->slotList()->DropRows().empty());

        SongProject saved;
        saved.SlotAt(5).SetTitle("Kept in the file");
        saved.SetPath(folder.file("dropped.velkp"));
        QVERIFY(saved.Save());
        prompts.saveAnswers = {Prompts::SaveChoice::Discard};
        DropFiles(*window, {QString::fromStdString(folder.file("dropped.velkp"))}, 1);
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - dropped[*]"));
        QCOMPARE(Cell(*window, 4, 2), QStringLiteral("Kept in the file"));
        QVERIFY(window->slotList()->DropRows().empty());
    }

    void sixteenRowsFitAndTheListTakesExtraRoom() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTableWidget* list = window->list();
        QVERIFY(!list->verticalScrollBar()->isVisible());
        QVERIFY(list->rowViewportPosition(15) + list->rowHeight(15) <= list->viewport()->height());
        QVERIFY(list->rowViewportPosition(0) >= 0);

        QVERIFY(window->minimumSize() != window->maximumSize()); // resizable
        window->resize(window->minimumSize());
        QTest::qWait(1);
        const QRect smallList = list->geometry();
        const QPoint smallButton = window->moveDownButton()->mapTo(window.get(), QPoint());
        window->resize(window->minimumSize() + QSize(100, 80));
        QTest::qWait(1);
        QCOMPARE(list->geometry().size(), smallList.size() + QSize(100, 80));
        QCOMPARE(window->moveDownButton()->mapTo(window.get(), QPoint()),
                 smallButton + QPoint(100, 80));
    }

    void nothingIsClippedAtTheSmallestAndTheDefaultSize() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (const QSize size : {window->size(), window->minimumSize()}) {
            window->resize(size);
            QTest::qWait(1);
            for (QWidget* control : std::initializer_list<QWidget*>{
                     window->browseButton(), window->moveUpButton(), window->moveDownButton(),
                     window->link(), window->playButton(), window->stopButton(),
                     window->gameVersionBox()})
                QVERIFY2(ShowsItsText(*control), qPrintable(control->metaObject()->className()));
            QVERIFY(window->playButton()->width() >=
                    QPushButton(QStringLiteral("P&ause")).sizeHint().width());
            for (QLineEdit* time : {window->startField(), window->endField(), window->fadeInField(),
                                    window->fadeOutField()})
                QVERIFY(time->contentsRect().width() >
                        time->fontMetrics().horizontalAdvance("1:23:45.6"));
            QVERIFY(window->timeLabel()->width() >=
                    window->timeLabel()->fontMetrics().horizontalAdvance("30:00.0 / 30:00.0"));
            QVERIFY(window->positionSlider()->width() >= 4 * window->fontMetrics().height());
            // No control of the Editing group lies over another, rows of controls included.
            QWidget* box = window->editingBox();
            QList<QRect> shown;
            for (QWidget* control : box->findChildren<QWidget*>())
                if (control->isVisible() && control->findChildren<QWidget*>().isEmpty())
                    shown << QRect(control->mapTo(box, QPoint(0, 0)), control->size());
            QVERIFY(shown.size() >= 19); // 2 fields, 4 buttons, 4 times, 2 player buttons...
            for (int one = 0; one < shown.size(); ++one)
                for (int other = one + 1; other < shown.size(); ++other)
                    QVERIFY(!shown[one].intersects(shown[other]));
            const QLineEdit& field = *window->qualityField();
            QVERIFY(field.contentsRect().width() > field.fontMetrics().horizontalAdvance("10"));
            for (QLabel* label : window->findChildren<QLabel*>())
                if (label != window->inGameLabel() && label->isVisible())
                    QVERIFY2(ShowsItsText(*label), qPrintable(label->text()));
            // "Ogg Quality:" keeps its distance from its field, File Path from Browse...
            const QLabel* quality = nullptr;
            for (QLabel* label : window->findChildren<QLabel*>())
                if (label->buddy() == window->qualityField())
                    quality = label;
            QVERIFY(quality);
            QVERIFY(window->qualityField()->geometry().left() > quality->geometry().right() + 1);
            QVERIFY(window->browseButton()->geometry().left() >
                    window->pathField()->geometry().right() + 1);
        }
    }

    void keyboardMovesThroughListAndControls() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const std::string song = folder.file("b.wav");
        WriteFileBytes(song, MakeWav(1, 8000, 16, Pcm16Bytes(ToneSamples(1, 8000, 80000, 300))));
        window->project().SlotAt(2).SetPath(song);
        QTableWidget* list = window->list();
        list->setFocus();
        list->selectRow(4);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(SelectedRow(*window), 15);
        QVERIFY(!window->moveDownButton()->isEnabled());
        QVERIFY(window->moveUpButton()->isEnabled());
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(SelectedRow(*window), 0);
        QVERIFY(!window->moveUpButton()->isEnabled());
        QVERIFY(window->moveDownButton()->isEnabled());
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(SelectedRow(*window), 1);

        const std::vector<QWidget*> order{
            window->titleField(),     window->pathField(),      window->browseButton(),
            window->moveUpButton(),   window->moveDownButton(), window->startField(),
            window->endField(),       window->fadeInField(),    window->fadeOutField(),
            window->playButton(),     window->stopButton(),     window->positionSlider(),
            window->gameVersionBox(), window->qualityField(),   window->link()};
        // Row B plays, so that Stop and the position take the focus too.
        QTRY_VERIFY(window->playButton()->isEnabled()); // the player found its sound output
        window->playButton()->click();
        QVERIFY(window->stopButton()->isEnabled());
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // The link shows that it has the focus.
        const QImage focused = window->link()->grab().toImage();
        window->list()->setFocus();
        QVERIFY(window->link()->grab().toImage() != focused);

        prompts.saveAnswers = {Prompts::SaveChoice::Discard};
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(prompts.dialogs.size(), std::size_t(1));
        QCOMPARE(prompts.dialogs[0].kind, std::string("open"));
    }

    void everyLabelAndButtonHasAnAccessKey() {
        QStringList keys; // of every control, and of the menu bar's menus
        const auto keyOf = [](const QString& text) {
            return text.mid(text.indexOf('&') + 1, 1).toLower();
        };
        std::vector<QAbstractButton*> buttons{window->gameVersionBox()};
        for (QPushButton* button : window->findChildren<QPushButton*>())
            buttons.push_back(button);
        for (QAbstractButton* button : buttons) {
            QVERIFY2(button->text().contains('&'), qPrintable(button->text()));
            keys << keyOf(button->text());
        }
        keys << keyOf(QStringLiteral("P&ause")); // the Play button's other text keeps its key
        QCOMPARE(keys.back(), keyOf(window->playButton()->text()));
        keys.removeLast();
        // Texts the window shows, which no key reaches: the in-game title, the link and the
        // time (or what the player says).
        const std::vector<QObject*> shown{window->inGameLabel(), window->link(),
                                          window->timeLabel()};
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (std::find(shown.begin(), shown.end(), label) != shown.end())
                continue;
            QVERIFY2(label->text().contains('&'), qPrintable(label->text()));
            QVERIFY(label->buddy() != nullptr);
            keys << keyOf(label->text());
        }
        for (QAction* menu : window->menuBar()->actions())
            keys << keyOf(menu->text());
        QCOMPARE(keys.size(), 15);
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()); // each its own
        // The unsaved-changes question: Save, Discard and Cancel each have one too.
        QtPrompts real(window.get(), QStringLiteral("Korvane"));
        QStringList texts;
        QTimer::singleShot(0, [&texts] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons())
                texts << button->text();
            box->button(QMessageBox::Cancel)->click();
        });
        QCOMPARE(real.AskToSave("Save changes to the project?"), Prompts::SaveChoice::Cancel);
        texts.sort();
        QCOMPARE(texts, (QStringList{"&Cancel", "&Discard", "&Save"}));
    }

    void trimFieldsForwardWhenLeftAndARefusedTimeIsSelected() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const std::string song = folder.file("ten.wav");
        WriteFileBytes(song, MakeWav(1, 8000, 16, std::string(160000, '\0'))); // 10 s
        window->project().SlotAt(2).SetPath(song);
        window->list()->selectRow(1);
        QVERIFY(window->startField()->isEnabled());
        window->startField()->setFocus();
        QTest::keyClicks(window->startField(), QStringLiteral("2"));
        QCOMPARE(window->project().SlotAt(2).trim().start, 0.0); // not while it is typed
        QTest::keyClick(window->startField(), Qt::Key_Tab);      // left: applied
        QCOMPARE(window->project().SlotAt(2).trim().start, 2.0);
        QCOMPARE(window->startField()->text(), QStringLiteral("2.0"));
        QCOMPARE(Cell(*window, 1, 3), QStringLiteral("8.0"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->endField()));

        QTest::keyClicks(window->endField(), QStringLiteral("1"));
        QTest::keyClick(window->endField(), Qt::Key_Return);
        QCOMPARE(prompts.messages, std::vector<std::string>{"The End must come after the Start."});
        QCOMPARE(window->endField()->text(), QString()); // the slot's End again, to retype
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->endField()));
        QVERIFY(!window->project().SlotAt(2).trim().end);
    }

    void playerControlsFollowThePlayerAndKeysForward() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const std::string song = folder.file("long.wav");
        WriteFileBytes(song, MakeWav(1, 8000, 16, Pcm16Bytes(ToneSamples(1, 8000, 80000, 300))));
        window->project().SlotAt(1).SetPath(song);
        window->project().SlotAt(1).SetTrim({1, std::nullopt, 0, 0});
        window->list()->selectRow(0);
        window->list()->setFocus();
        QTRY_VERIFY(window->playButton()->isEnabled());
        QVERIFY(!window->stopButton()->isEnabled());
        QCOMPARE(window->timeLabel()->text(), QStringLiteral("0:00.0 / 0:09.0"));

        QTest::mouseClick(window->playButton(), Qt::LeftButton);
        QCOMPARE(window->playButton()->text(), QStringLiteral("P&ause"));
        QVERIFY(window->stopButton()->isEnabled() && window->positionSlider()->isEnabled());
        QTest::keyClick(window->list(), Qt::Key_Space); // pauses
        QCOMPARE(window->playButton()->text(), QStringLiteral("Pl&ay"));
        QCOMPARE(SelectedRow(*window), 0); // the list kept its row

        window->positionSlider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QTRY_COMPARE(window->timeLabel()->text(), QStringLiteral("0:00.9 / 0:09.0"));
        QTest::keyClick(window->list(), Qt::Key_BracketLeft); // the Start from there
        QCOMPARE(window->startField()->text(), QStringLiteral("1.9"));
        QVERIFY(!window->stopButton()->isEnabled()); // the trim changed: playback stopped

        QTest::keyClick(window->list(), Qt::Key_Space);
        QCOMPARE(window->playButton()->text(), QStringLiteral("P&ause"));
        window->gameVersionBox()->click();
        QVERIFY(window->controller().View().listening.gameVersion);
        QTest::mouseClick(window->stopButton(), Qt::LeftButton);
        QVERIFY(!window->stopButton()->isEnabled());

        // In a field, the keys are text.
        window->titleField()->setFocus();
        window->titleField()->selectAll();
        QTest::keyClicks(window->titleField(), QStringLiteral("a [b] c"));
        QCOMPARE(window->project().SlotAt(1).title(), std::string("a [b] c"));
        QCOMPARE(window->playButton()->text(), QStringLiteral("Pl&ay"));
        QCOMPARE(window->startField()->text(), QStringLiteral("1.9"));
    }

    void withoutSoundOutputTheControlsSaySo() {
        window.reset();
        SetEnvironment("SDL_AUDIODRIVER", "kp-no-such-driver");
        window = std::make_unique<BuilderWindow>(folder.path());
        window->show();
        QTRY_COMPARE(window->timeLabel()->text(), QStringLiteral("No sound output"));
        SetEnvironment("SDL_AUDIODRIVER", "dummy");
        QVERIFY(ShowsItsText(*window->timeLabel()));
        window->project().SlotAt(1).SetPath(folder.file("none.wav"));
        window->list()->selectRow(0);
        for (QWidget* control :
             std::initializer_list<QWidget*>{window->playButton(), window->stopButton(),
                                             window->positionSlider(), window->gameVersionBox()})
            QVERIFY(!control->isEnabled());
        QVERIFY(window->startField()->isEnabled()); // trims need no sound
    }

    void recentMenuDrawsTheControllersList() {
        QVERIFY(!window->recentMenu()->isEnabled());
        for (const char* name : {"one.velkp", "two & more.velkp"}) {
            prompts.answers = {folder.file(name)};
            QVERIFY(window->SaveProjectAs());
        }
        const auto entry = [this](int index, const char* name) {
            return QStringLiteral("&%1 %2").arg(index).arg(
                QString::fromStdString(SystemSeparators(folder.file(name))).replace("&", "&&"));
        };
        QCOMPARE(RecentEntries(*window),
                 (QStringList{entry(1, "two & more.velkp"), entry(2, "one.velkp")}));
        window->recentMenu()->actions().at(1)->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - one[*]"));
    }

    void matchLoudnessIsKeptInTheSettings() {
        QVERIFY(window->matchLoudnessAction()->isChecked());
        window->matchLoudnessAction()->trigger();
        QVERIFY(!window->controller().View().matchLoudness);
        BuilderWindow second(folder.path());
        QVERIFY(!second.matchLoudnessAction()->isChecked());
    }

    void clipboardGetsTheListInTheSystemsLineEnds() {
        window->project().SlotAt(1).SetTitle("Caf\xE9");
        window->Run([](ProjectController&) {}); // draw what changed behind the window's back
        window->menuBar()->actions().front()->menu()->actions().at(10)->trigger();
        QVERIFY(prompts.messages.empty());
        QString expected = QStringLiteral("Letter ") + QStringLiteral("Title").leftJustified(50) +
                           " " + QStringLiteral("Time").leftJustified(10) + LineEnd() +
                           QString(76, '-') + LineEnd();
        for (char letter = 'A'; letter <= 'P'; ++letter)
            expected += QString(QChar(letter)).leftJustified(6) + " " +
                        (letter == 'A' ? QStringLiteral("Caf\u00E9") : QStringLiteral("empty slot"))
                            .leftJustified(50) +
                        " " + QStringLiteral("0.0").leftJustified(10) + LineEnd();
        QCOMPARE(QGuiApplication::clipboard()->text(), expected); // pastes as 18 lines
    }

    // With KP_SCREENSHOTS set to a folder: the window while a title is typed that the game
    // shows otherwise, with the link focused, and the About box, to look at under each font
    // and scale factor.
    void screenshotsWhenAsked() {
        const QString shots = qEnvironmentVariable("KP_SCREENSHOTS");
        if (shots.isEmpty())
            QSKIP("KP_SCREENSHOTS names no folder");
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->list()->selectRow(2);
        window->titleField()->setText(QStringLiteral("Caf\u00E9 \u03A9 in the \u041C\u0438\u0440"));
        window->link()->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QVERIFY(window->grab().save(shots + "/korvane-typed.png"));
        AboutBox box(window.get());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.grab().save(shots + "/korvane-about.png"));
    }

    void aboutBoxShowsVersionLicenceAndHomePage() {
        AboutBox box(window.get());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.windowTitle(), QStringLiteral("About Korvane"));
        QVERIFY(box.findChild<QLabel*>("version")->text().startsWith("Korvane Version 1."));
        QVERIFY(box.findChild<QLabel*>("licence")->text().contains("GPL-3.0-or-later"));
        QCOMPARE(box.homePage()->Address(), QStringLiteral("https://korvane.example.org/"));
        QVERIFY(box.width() > 2 * box.fontMetrics().horizontalAdvance(box.windowTitle()));
        QVERIFY(!box.homePage()->hasFocus()); // OK has it; Tab reaches the link
        QCOMPARE(box.homePage()->focusPolicy(), Qt::TabFocus);
    }
};

QTEST_MAIN(BuilderWindowTest)
#include "BuilderWindowTest.moc"
