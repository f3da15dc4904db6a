#include "builder/ProjectLock.h"
#include "builder/window/BuilderWindow.h"
#include "builder/window/SlotList.h"
#include "tests/support/AudioFileFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"
#include "widgets/HyperlinkLabel.h"
#include "widgets/QtPrompts.h"

#include <QAction>
#include <QClipboard>
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
#include <QTableWidget>
#include <QUrl>
#include <QtTest>

#include <filesystem>

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

std::string MonoWav(const TempFolder& folder, const std::string& name, int seconds) {
    const std::string path = folder.file(name);
    WriteFileBytes(path, MakeWav(1, 8000, 16, std::string(16000u * seconds, '\0')));
    return path;
}

// A short stereo song the builder cannot take as it is, so the importer converts it.
std::string StereoSong(const TempFolder& folder, const std::string& name) {
    const std::string path = folder.file(name);
    WriteFileBytes(path, MakeWav(2, 22050, 16, Pcm16Bytes(ToneSamples(2, 22050, 11025, 440.0))));
    return path;
}

std::vector<std::string> StereoSongs(const TempFolder& folder, const std::string& stem, int count) {
    std::vector<std::string> paths;
    for (int number = 1; number <= count; ++number)
        paths.push_back(StereoSong(folder, stem + std::to_string(number) + ".wav"));
    return paths;
}

QStringList QtPaths(const std::vector<std::string>& paths) {
    QStringList list;
    for (const std::string& path : paths)
        list << QString::fromStdString(path);
    return list;
}

// A project file as the original writes it: every slot without a file, titles in Windows-1252.
std::string ProjectBytesWithTitles(const std::vector<std::string>& titles) {
    std::string bytes("\x02\0\0\0\x04\0\0\0", 8);
    for (std::size_t slot = 0; slot < 16; ++slot) {
        const std::string title = slot < titles.size() ? titles[slot] : "empty slot";
        bytes += std::string(4, '\0') + static_cast<char>(title.size()) + std::string(3, '\0');
        bytes += title + std::string(4, '\0');
    }
    return bytes;
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

// Drops local files on the list at a row (-1: below the rows), as the desktop would.
void DropFiles(const BuilderWindow& window, const QStringList& files, int row) {
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
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &drop);
}

} // namespace

class BuilderWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BuilderWindow> window;
    FakePrompts prompts;
    TempFolder folder;
    TempFolder settingsFolder;
    int progressWindowsMade = 0;
    QStringList openedFolders;
    bool cancelImport = false;
    bool fileManagerAnswers = true;

private slots:
    void initTestCase() {
        // A file in a folder of the test's own, never the Windows registry.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder.path()));
        QCoreApplication::setOrganizationName("KorvaneWindowTests");
    }

    void init() {
        QSettings().clear();
        prompts = FakePrompts();
        progressWindowsMade = 0;
        openedFolders.clear();
        cancelImport = false;
        fileManagerAnswers = true;
        window = std::make_unique<BuilderWindow>(folder.path());
        window->SetPrompts(&prompts);
        window->SetProgressFactory([this](QWidget*) -> std::unique_ptr<Progress> {
            ++progressWindowsMade;
            auto progress = std::make_unique<FakeProgress>();
            progress->cancelWhen = [this](const auto&) { return cancelImport; };
            return progress;
        });
        window->SetFolderOpener([this](const QString& opened) {
            openedFolders << opened;
            return fileManagerAnswers;
        });
    }

    void startUpState() {
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
    }

    void selectingRowThreeFillsFieldsWithoutProbing() {
        SongSlot& slot = window->project().SlotAt(3);
        slot.SetTitle("Third");
        slot.SetStoredPath(folder.file("not-probed.wav"));
        window->list()->selectRow(2);
        QCOMPARE(window->titleField()->text(), QStringLiteral("Third"));
        QCOMPARE(window->pathField()->text(), QString::fromStdString(slot.path()));
        QVERIFY(window->pathField()->isEnabled());
        QCOMPARE(slot.status(), std::string("no file"));
        QCOMPARE(slot.title(), std::string("Third"));
    }

    void typingPathProbesEveryKeystroke() {
        const std::string path = MonoWav(folder, "s.wav", 3);
        window->list()->selectRow(0);
        QTest::keyClicks(window->pathField(), QString::fromStdString(path.substr(0, 5)));
        QCOMPARE(Cell(*window, 0, 4), QStringLiteral("invalid format"));
        QCOMPARE(Cell(*window, 0, 3), QStringLiteral("0"));
        QTest::keyClicks(window->pathField(), QString::fromStdString(path.substr(5)));
        QCOMPARE(Cell(*window, 0, 4), QStringLiteral("Ok"));
        QCOMPARE(Cell(*window, 0, 3), QStringLiteral("3.0"));
        QCOMPARE(window->project().SlotAt(1).path(), path);
        QTest::keyClick(window->pathField(), Qt::Key_Backspace);
        QCOMPARE(Cell(*window, 0, 4), QStringLiteral("invalid format"));
        QCOMPARE(Cell(*window, 0, 3), QStringLiteral("0"));
        QVERIFY(prompts.messages.empty());
    }

    void typingTitleRenamesSelectedSlot() {
        window->list()->selectRow(4);
        window->titleField()->selectAll();
        QTest::keyClicks(window->titleField(), QStringLiteral("New \"name\""));
        QCOMPARE(window->project().SlotAt(5).title(), std::string("New \"name\""));
        QCOMPARE(Cell(*window, 4, 2), QStringLiteral("New \"name\""));
    }

    void windows1252TitleFromFileShowsAndReachesTheGameUnchanged() {
        const std::string bytes =
            ProjectBytesWithTitles({"One", "Two", "Caf\xE9 Saigon", "Mot\xF6rhead \x80"});
        WriteFileBytes(folder.file("original.velkp"), bytes);
        window->OpenProjectFile(folder.file("original.velkp"));
        QCOMPARE(Cell(*window, 2, 2), QStringLiteral("Caf\u00E9 Saigon"));
        QCOMPARE(Cell(*window, 3, 2), QStringLiteral("Mot\u00F6rhead \u20AC"));
        window->list()->selectRow(2);
        QCOMPARE(window->titleField()->text(), QStringLiteral("Caf\u00E9 Saigon"));
        QVERIFY(window->inGameLabel()->isHidden());
        QVERIFY(!RowMarked(*window, 2));

        QVERIFY(window->project().WritePlaylistScript(folder.file("playlists.con")));
        const std::string script = ReadFileBytes(folder.file("playlists.con"));
        QVERIFY(script.find("\"Caf\xE9 Saigon\"") != std::string::npos);
        QVERIFY(script.find("\"Mot\xF6rhead \x80\"") != std::string::npos);
        window->SaveProject();
        QCOMPARE(ReadFileBytes(folder.file("original.velkp")), bytes);
    }

    void typedTitleIsSavedInWindows1252AndLossIsShown() {
        window->list()->selectRow(0);
        window->titleField()->selectAll();
        QTest::keyClicks(window->titleField(), QStringLiteral("Caf"));
        QTest::sendKeyEvent(QTest::Click, window->titleField(), Qt::Key_Eacute,
                            QStringLiteral("\u00E9"), Qt::NoModifier);
        QCOMPARE(window->project().SlotAt(1).title(), std::string("Caf\xE9"));
        QVERIFY(window->inGameLabel()->isHidden());
        prompts.answers.push_back(folder.file("typed.velkp"));
        window->SaveProject();
        const std::string saved = ReadFileBytes(folder.file("typed.velkp"));
        QCOMPARE(saved.substr(8, 16), std::string("\0\0\0\0\x04\0\0\0Caf\xE9\0\0\0\0", 16));

        window->titleField()->insert(QStringLiteral(" \u03A9")); // Greek: not in the code page
        QCOMPARE(window->project().SlotAt(1).title(), std::string("Caf\xE9 ?"));
        QVERIFY(!window->inGameLabel()->isHidden());
        QCOMPARE(window->inGameLabel()->toolTip(), QStringLiteral("In game: Caf\u00E9 ?"));
        QVERIFY(RowMarked(*window, 0));
        QVERIFY(!RowMarked(*window, 1));

        window->list()->selectRow(1);
        QVERIFY(window->inGameLabel()->isHidden());
        window->list()->selectRow(0); // back on the row: the typed text and its hint are kept
        QCOMPARE(window->titleField()->text(), QStringLiteral("Caf\u00E9 \u03A9"));
        QVERIFY(!window->inGameLabel()->isHidden());
        QVERIFY(RowMarked(*window, 0));

        // Reopened, the typed text is gone: the "?" it left still marks the row, while a "?"
        // typed on purpose does not.
        window->list()->selectRow(1);
        QTest::keyClicks(window->titleField(), QStringLiteral("Why?"));
        QVERIFY(!RowMarked(*window, 1));
        window->SaveProject();
        window->OpenProjectFile(folder.file("typed.velkp"));
        QVERIFY(RowMarked(*window, 0));
        QVERIFY(RowMarked(*window, 1));
        QVERIFY(!RowMarked(*window, 2));
        window->list()->selectRow(0);
        QTest::keyClick(window->titleField(), Qt::Key_Backspace);
        QVERIFY(!RowMarked(*window, 0));
    }

    void importIntoANeverSavedProjectAsksWhereToSaveFirst() {
        const std::vector<std::string> songs = StereoSongs(folder, "first", 1);
        prompts.fileListAnswers = {songs, songs};
        prompts.answers = {std::nullopt};
        window->AddSongs(); // the place is refused: nothing is imported
        QCOMPARE(prompts.dialogs.back().kind, std::string("save"));
        QCOMPARE(progressWindowsMade, 0);
        QCOMPARE(Cell(*window, 0, 2), QStringLiteral("empty slot"));

        prompts.answers = {folder.file("fresh.velkp")};
        window->AddSongs();
        QCOMPARE(Cell(*window, 0, 2), QStringLiteral("first1"));
        QCOMPARE(window->project().SlotAt(1).path(), folder.file("fresh songs/first1.wav"));
        QVERIFY(std::filesystem::exists(folder.file("fresh.velkp")));
    }

    void saveIsRefusedWhileAnotherKorvaneChangesTheProject() {
        prompts.answers = {folder.file("shared.velkp")};
        window->SaveProjectAs();
        const std::string saved = ReadFileBytes(folder.file("shared.velkp"));
        window->project().SlotAt(1).SetTitle("Changed");
        FakePrompts other;
        ProjectLock adding; // as `korvane --add` holds it
        QVERIFY(adding.Take(folder.file("shared.velkp"), other));
        QVERIFY(!window->SaveProject());
        QCOMPARE(prompts.messages.back(),
                 "Another Korvane is changing the project " + folder.file("shared.velkp") +
                     ". Nothing was changed. Wait until it has finished, then try again.");
        QCOMPARE(ReadFileBytes(folder.file("shared.velkp")), saved);
    }

    void browseTakesMonoWavAsItIsAndImportsTheRest() {
        window->project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
        const std::string wav = MonoWav(folder, "b.wav", 2);
        window->list()->selectRow(1);
        prompts.answers.push_back(wav);
        window->Browse();
        QCOMPARE(prompts.dialogs.size(), std::size_t(1));
        QCOMPARE(prompts.dialogs[0].options.filter,
                 std::string("Audio Files (*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.aif;*.aiff;"
                             "*.aifc;*.m4a;*.mp4;*.aac;*.wma)|*.wav;*.flac;*.mp3;*.ogg;*.oga;"
                             "*.opus;*.aif;*.aiff;*.aifc;*.m4a;*.mp4;*.aac;*.wma"
                             "|Wav Files (*.wav)|*.wav||"));
        QCOMPARE(window->pathField()->text(), QString::fromStdString(wav));
        QCOMPARE(Cell(*window, 1, 4), QStringLiteral("Ok"));
        QCOMPARE(Cell(*window, 1, 2), QStringLiteral("b")); // was "empty slot": the file's name
        QCOMPARE(progressWindowsMade, 0);

        const std::string flac = folder.file("tagged.flac");
        QVERIFY(WriteAudioFile(
            flac,
            AudioFileSpec(AudioFormat::Flac16(), 44100, 2, 0.5).Tags("The Band", "Caf\u00E9")));
        window->list()->selectRow(2);
        prompts.answers = {flac};
        window->Browse();
        QCOMPARE(progressWindowsMade, 1);
        QCOMPARE(Cell(*window, 2, 2), QStringLiteral("The Band - Caf\u00E9"));
        QCOMPARE(Cell(*window, 2, 4), QStringLiteral("Ok"));
        QVERIFY(window->project().SlotAt(3).path() != flac); // a converted copy
        QCOMPARE(window->pathField()->text(),
                 QString::fromStdString(window->project().SlotAt(3).path()));

        window->titleField()->setText(QStringLiteral("My own"));
        prompts.answers = {StereoSong(folder, "other.wav")};
        window->Browse();
        QCOMPARE(Cell(*window, 2, 2), QStringLiteral("My own"));
        QVERIFY(window->project().SlotAt(3).path().find("other") != std::string::npos);
    }

    void addSongsFillsTheEmptySlotsAndNamesTheRest() {
        window->project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
        for (int position = 1; position <= 13; ++position)
            window->project().SlotAt(position).SetTitle("Taken");
        const std::vector<std::string> songs = StereoSongs(folder, "many", 5);
        prompts.fileListAnswers = {songs};
        window->AddSongs();
        QCOMPARE(prompts.dialogs.back().kind, std::string("open many"));
        for (int row = 13; row < 16; ++row) {
            QCOMPARE(Cell(*window, row, 2),
                     QStringLiteral("many%1").arg(row - 12)); // the file names, in order
            QCOMPARE(Cell(*window, row, 4), QStringLiteral("Ok"));
        }
        QCOMPARE(Cell(*window, 12, 2), QStringLiteral("Taken"));
        QVERIFY(prompts.information.empty()); // some were refused: a warning
        const std::string& text = prompts.messages.back();
        QVERIFY(text.find("No empty slot left for " + songs[3] + ".") != std::string::npos);
        QVERIFY(text.find("No empty slot left for " + songs[4] + ".") != std::string::npos);
        QVERIFY(window->isWindowModified());
    }

    void dropOnRowCFillsItAndTheFollowingSlots() {
        window->project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
        window->project().SlotAt(3).SetTitle("Old song");
        window->project().SlotAt(3).SetPath(MonoWav(folder, "old.wav", 1));
        const QStringList songs = QtPaths(StereoSongs(folder, "drop", 3));

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(songs[0]), QUrl::fromLocalFile(songs[1]),
                      QUrl::fromLocalFile(songs[2])});
        QTableWidget* list = window->list();
        const QPoint overC(40, list->rowViewportPosition(2) + 2);
        QDragEnterEvent enter(overC, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(overC, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QCOMPARE(window->slotList()->DropRows(), (std::vector<int>{2, 3, 4}));

        DropFiles(*window, songs, 2);
        QVERIFY(window->slotList()->DropRows().empty());
        for (int row = 2; row < 5; ++row) {
            QCOMPARE(Cell(*window, row, 2), QStringLiteral("drop%1").arg(row - 1));
            QCOMPARE(Cell(*window, row, 4), QStringLiteral("Ok"));
        }
        QCOMPARE(Cell(*window, 5, 2), QStringLiteral("empty slot"));
        QCOMPARE(prompts.information.size(), std::size_t(1)); // all went in: success
        QVERIFY(prompts.information[0].rfind("C: drop1 (0:01, gain ", 0) == 0);
        QVERIFY(prompts.information[0].find("\nReplaced: C (Old song).") != std::string::npos);

        DropFiles(*window, {songs[0]}, -1); // below the rows: the first empty slot
        QCOMPARE(Cell(*window, 0, 2), QStringLiteral("drop1"));
    }

    void matchLoudnessIsRememberedAndCancelKeepsTheProject() {
        window->project().SetPath(folder.file("p.velkp")); // songs go into "p songs"
        QVERIFY(window->matchLoudnessAction()->isChecked());
        window->matchLoudnessAction()->trigger();
        BuilderWindow second(folder.path());
        QVERIFY(!second.matchLoudnessAction()->isChecked());

        prompts.fileListAnswers = {std::vector<std::string>{StereoSong(folder, "plain.wav")}};
        window->AddSongs();
        QVERIFY(prompts.information.back().find("gain +0.0 dB") != std::string::npos);

        cancelImport = true;
        prompts.fileListAnswers = {std::vector<std::string>{StereoSong(folder, "never.wav")}};
        window->AddSongs();
        QCOMPARE(prompts.messages.back(), std::string("Import cancelled. No song was added."));
        QCOMPARE(Cell(*window, 1, 2), QStringLiteral("empty slot"));
    }

    void moveDownKeepsMovedSlotSelected() {
        window->project().SlotAt(1).SetTitle("First");
        window->list()->selectRow(0);
        QTest::mouseClick(window->moveDownButton(), Qt::LeftButton);
        QCOMPARE(window->list()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(window->list()->selectionModel()->selectedRows().front().row(), 1);
        QCOMPARE(Cell(*window, 1, 2), QStringLiteral("First"));
        QCOMPARE(window->titleField()->text(), QStringLiteral("First"));
        QTest::mouseClick(window->moveUpButton(), Qt::LeftButton);
        QCOMPARE(window->list()->selectionModel()->selectedRows().front().row(), 0);

        SongSlot* last = &window->project().SlotAt(16);
        window->list()->selectRow(15);
        window->MoveDown();
        QCOMPARE(&window->project().SlotAt(16), last);
        QCOMPARE(window->list()->selectionModel()->selectedRows().front().row(), 15);
    }

    void openCancelledStillRefreshes() {
        window->project().SetQuality(9);
        window->project().SlotAt(2).SetTitle("Changed behind the list");
        window->OpenProject();
        QCOMPARE(prompts.dialogs.size(), std::size_t(1));
        QCOMPARE(prompts.dialogs[0].options.filter,
                 std::string("VELK Project Files (*.velkp)|*.velkp||"));
        QCOMPARE(prompts.dialogs[0].options.initialFileName, std::string("*.velkp"));
        QCOMPARE(window->qualityField()->text(), QStringLiteral("9"));
        QCOMPARE(Cell(*window, 1, 2), QStringLiteral("Changed behind the list"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - New Project[*]"));
    }

    void openShowsFileNameAndErrors() {
        prompts.answers.push_back(folder.file("absent.velkp"));
        window->OpenProject();
        QCOMPARE(prompts.messages, std::vector<std::string>{"Error reading project file."});
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - absent[*]"));

        WriteFileBytes(folder.file("cut.velkp"), std::string("\x02\0\0\0\x07\0", 6));
        window->OpenProjectFile(folder.file("cut.velkp"));
        QCOMPARE(prompts.messages.size(), std::size_t(2)); // the generic error box
        QVERIFY(prompts.messages[1].find("cut.velkp") != std::string::npos);
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - absent[*]"));
    }

    void saveAsAndSave() {
        prompts.answers.push_back(folder.file("mine.velkp"));
        window->SaveProject(); // no path yet: behaves as Save As
        QCOMPARE(prompts.dialogs.at(0).kind, std::string("save"));
        QCOMPARE(prompts.dialogs.at(0).options.initialFileName, std::string("newproject.velkp"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - mine[*]"));
        QCOMPARE(ReadFileBytes(folder.file("mine.velkp")).size(), std::size_t(360));

        prompts.answers.push_back(folder.file("missing/other.velkp"));
        window->SaveProjectAs();
        QCOMPARE(prompts.messages, std::vector<std::string>{"Error saving project..."});
        QCOMPARE(window->project().path(), std::string());
    }

    void qualityFieldReadBack() {
        window->qualityField()->setText(QStringLiteral("7"));
        QCOMPARE(window->project().quality(), 7);
        QVERIFY(prompts.messages.empty());
        QTest::keyClick(window->qualityField(), Qt::Key_1);
        QCOMPARE(window->qualityField()->text(), QStringLiteral("71"));
        QCOMPARE(prompts.messages.size(), std::size_t(1));
        QCOMPARE(window->project().quality(), 7);
        window->qualityField()->clear();
        QCOMPARE(prompts.messages.size(), std::size_t(2));
        QVERIFY(prompts.messages[0] != prompts.messages[1]); // range, then integer
        QCOMPARE(window->project().quality(), 7);

        // While the quality is bad, a title edit still lands and complains again.
        window->list()->selectRow(0);
        QTest::keyClicks(window->titleField(), QStringLiteral("x"));
        QCOMPARE(prompts.messages.size(), std::size_t(3));
        QCOMPARE(window->project().SlotAt(1).title(), std::string("empty slotx"));
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
        prompts.saveAnswers = {Prompts::SaveChoice::Discard};
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(prompts.saveQuestions, std::vector<std::string>{"Save changes to the project?"});
    }

    void buildRefusedWithInvalidSlot() {
        window->Build();
        QCOMPARE(prompts.messages,
                 std::vector<std::string>{"One or more items are not valid. Unable to build."});
        QVERIFY(prompts.dialogs.empty());
        QCOMPARE(progressWindowsMade, 0);
    }

    void unsavedChangesAreAskedAboutOnCloseAndNew() {
        using Choice = Prompts::SaveChoice;
        struct Case {
            const char* command;
            Choice choice;
            bool proceeds;
        };
        const Case cases[] = {{"close", Choice::Save, true},    {"close", Choice::Discard, true},
                              {"close", Choice::Cancel, false}, {"new", Choice::Save, true},
                              {"new", Choice::Discard, true},   {"new", Choice::Cancel, false}};
        for (const Case& test : cases) {
            init();
            const QString name = QStringLiteral("%1-%2").arg(test.command).arg(int(test.choice));
            const std::string saved = folder.file(name.toStdString() + ".velkp");
            window->show();
            window->list()->selectRow(0);
            QTest::keyClicks(window->titleField(), QStringLiteral("!"));
            prompts.saveAnswers = {test.choice};
            prompts.answers = {saved};
            if (std::string(test.command) == "close")
                window->close();
            else
                window->NewProject();
            QCOMPARE(prompts.saveQuestions,
                     std::vector<std::string>{"Save changes to the project?"});
            const bool closed = !window->isVisible();
            const bool reset = window->project().SlotAt(1).title() == "empty slot";
            QCOMPARE(std::string(test.command) == "close" ? closed : reset, test.proceeds);
            QCOMPARE(std::filesystem::exists(saved), test.choice == Choice::Save);
            const bool discardedOnly = std::string(test.command) == "close";
            QCOMPARE(window->isWindowModified(),
                     test.choice == Choice::Cancel ||
                         (test.choice == Choice::Discard && discardedOnly));
        }
        init(); // nothing unsaved: nothing asked
        window->show();
        window->NewProject();
        window->close();
        QVERIFY(!window->isVisible());
        QVERIFY(prompts.saveQuestions.empty());
    }

    void modifiedMarkerFollowsEditsAndSaves() {
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("[*]")));
        window->list()->selectRow(2);
        QVERIFY(!window->isWindowModified()); // selecting changes nothing
        QTest::keyClicks(window->titleField(), QStringLiteral("x"));
        QVERIFY(window->isWindowModified());
        prompts.answers.push_back(folder.file("marked.velkp"));
        QVERIFY(window->SaveProject());
        QVERIFY(!window->isWindowModified());
        window->MoveDown();
        QVERIFY(window->isWindowModified());
        window->SaveProject();
        window->qualityField()->setText(QStringLiteral("9"));
        QVERIFY(window->isWindowModified());
        window->OpenProjectFile(folder.file("marked.velkp"));
        QVERIFY(!window->isWindowModified());
    }

    void buildWithInvalidQualityStopsBeforeAnything() {
        window->qualityField()->setText(QStringLiteral("x"));
        window->qualityField()->clearFocus();
        prompts.messages.clear();
        window->Build();
        QCOMPARE(prompts.messages,
                 std::vector<std::string>{"Please enter an integer for the Ogg quality."});
        QVERIFY(prompts.dialogs.empty());
        QCOMPARE(progressWindowsMade, 0);
        QVERIFY(!std::filesystem::exists(folder.file("velk_work")));
    }

    void refusedBuildMarksTheRowsThatAreNotOk() {
        const std::string path = MonoWav(folder, "ok.wav", 1);
        window->project().SlotAt(2).SetPath(path);
        window->OpenProjectFile(folder.file("none.velkp")); // refreshes; the file is absent
        window->project().SlotAt(2).SetPath(path);
        window->Build();
        QCOMPARE(prompts.messages.back(),
                 std::string("One or more items are not valid. Unable to build."));
        QVERIFY(!StatusMarked(*window, 1));
        for (int row : {0, 2, 15})
            QVERIFY(StatusMarked(*window, row));
    }

    void buildDeliversAndOffersTheFolder() {
        for (int position = 1; position <= 16; ++position)
            window->project().SlotAt(position).SetPath(
                MonoWav(folder, "song" + std::to_string(position) + ".wav", 1));
        const std::string pack = folder.file("packs/mine.velk");
        std::filesystem::create_directories(folder.file("packs"));
        prompts.answers = {pack};
        prompts.offerAnswers = {true};
        window->Build();
        QCOMPARE(prompts.dialogs.at(0).options.filter, std::string("VELK Files (*.velk)|*.velk||"));
        QCOMPARE(prompts.dialogs.at(0).options.initialFileName, std::string("myvelk.velk"));
        QCOMPARE(prompts.information,
                 std::vector<std::string>{"Done!\n\nThe music pack is at:\n" + pack});
        QCOMPARE(prompts.offers, std::vector<std::string>{"Open Folder"});
        QCOMPARE(openedFolders, QStringList{QString::fromStdString(folder.file("packs"))});
        QVERIFY(std::filesystem::exists(pack));
        QCOMPARE(prompts.messages.size(), std::size_t(1)); // the file manager answered

        fileManagerAnswers = false; // none answers: the path is given to copy
        prompts.answers = {pack};
        prompts.offerAnswers = {true};
        window->Build();
        QCOMPARE(prompts.messages.back(),
                 "Korvane could not open a file manager. The music pack is in the folder:\n" +
                     folder.file("packs"));

        prompts.answers = {std::nullopt}; // the next build's dialog opens where the last went
        window->Build();
        QCOMPARE(prompts.dialogs.at(2).options.initialFolder, folder.file("packs"));
    }

    void dialogsRememberTheirFoldersAndSaveAsProposesTheName() {
        std::filesystem::create_directories(folder.file("projects"));
        std::filesystem::create_directories(folder.file("songs"));
        prompts.answers = {folder.file("projects/first.velkp")};
        window->SaveProjectAs();
        window->list()->selectRow(0);
        prompts.answers = {MonoWav(folder, "songs/one.wav", 1)};
        window->Browse();
        prompts.answers = {std::nullopt, std::nullopt, std::nullopt};
        prompts.saveAnswers = {Prompts::SaveChoice::Discard};
        window->SaveProjectAs();
        window->Browse();
        window->OpenProject();
        QCOMPARE(prompts.dialogs.size(), std::size_t(5));
        QCOMPARE(prompts.dialogs[2].options.initialFileName, folder.file("projects/first.velkp"));
        QCOMPARE(prompts.dialogs[2].options.initialFolder, folder.file("projects"));
        QCOMPARE(prompts.dialogs[3].options.initialFolder, folder.file("songs"));
        QCOMPARE(prompts.dialogs[4].options.initialFolder, folder.file("projects"));
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
        const QRect smallButton = window->moveDownButton()->geometry();
        window->resize(window->minimumSize() + QSize(100, 80));
        QTest::qWait(1);
        QCOMPARE(list->geometry().size(), smallList.size() + QSize(100, 80));
        QCOMPARE(window->moveDownButton()->geometry(), smallButton.translated(100, 80));
    }

    void keyboardMovesThroughListAndControls() {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
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

        QTest::mouseClick(window->moveDownButton(), Qt::LeftButton);
        QCOMPARE(SelectedRow(*window), 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        QVERIFY(window->moveUpButton()->isEnabled());

        const std::vector<QWidget*> order{
            window->titleField(),   window->pathField(),      window->browseButton(),
            window->moveUpButton(), window->moveDownButton(), window->qualityField(),
            window->link()};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        prompts.saveAnswers = {Prompts::SaveChoice::Discard};
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(prompts.dialogs.size(), std::size_t(1));
        QCOMPARE(prompts.dialogs[0].kind, std::string("open"));
    }

    void everyLabelAndButtonHasAnAccessKey() {
        for (QPushButton* button : window->findChildren<QPushButton*>())
            QVERIFY2(button->text().contains('&'), qPrintable(button->text()));
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label == window->inGameLabel() || label->text().isEmpty() ||
                static_cast<QObject*>(label) == static_cast<QObject*>(window->link()))
                continue;
            QVERIFY2(label->text().contains('&'), qPrintable(label->text()));
            QVERIFY(label->buddy() != nullptr);
        }
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

    void recentProjectsKeepTheLastFiveThatExist() {
        for (int number = 1; number <= 6; ++number) {
            prompts.answers = {folder.file("recent" + std::to_string(number) + ".velkp")};
            window->SaveProjectAs();
        }
        const auto entry = [this](int index, int number) {
            return QStringLiteral("&%1 %2").arg(index).arg(
                QString::fromStdString(folder.file("recent" + std::to_string(number) + ".velkp")));
        };
        QCOMPARE(RecentEntries(*window),
                 (QStringList{entry(1, 6), entry(2, 5), entry(3, 4), entry(4, 3), entry(5, 2)}));

        std::filesystem::remove(folder.file("recent5.velkp"));
        window->OpenRecentProject(QString::fromStdString(folder.file("recent3.velkp")));
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - recent3[*]"));
        QCOMPARE(RecentEntries(*window),
                 (QStringList{entry(1, 3), entry(2, 6), entry(3, 4), entry(4, 2)}));
        window->recentMenu()->actions().at(1)->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - recent6[*]"));
    }

    void droppedProjectOpensAfterAskingAboutChanges() {
        prompts.answers = {folder.file("dropped.velkp")};
        window->project().SlotAt(4).SetTitle("Kept in the file");
        window->SaveProjectAs();
        window->NewProject();
        window->list()->selectRow(0);
        QTest::keyClicks(window->titleField(), QStringLiteral("x"));

        prompts.saveAnswers = {Prompts::SaveChoice::Cancel, Prompts::SaveChoice::Discard};
        DropFiles(*window, {QString::fromStdString(folder.file("dropped.velkp"))}, 2);
        QCOMPARE(window->project().SlotAt(1).title(), std::string("empty slotx"));
        DropFiles(*window, {QString::fromStdString(folder.file("dropped.velkp"))}, -1);
        QCOMPARE(prompts.saveQuestions.size(), std::size_t(2));
        QCOMPARE(window->project().SlotAt(4).title(), std::string("Kept in the file"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Korvane - dropped[*]"));
    }

    void clipboardOfNewProject() {
        window->CopyListToClipboard();
        QVERIFY(prompts.messages.empty());
        QString expected = QStringLiteral("Letter ") + QStringLiteral("Title").leftJustified(50) +
                           " " + QStringLiteral("Time").leftJustified(10) + LineEnd() +
                           QString(76, '-') + LineEnd();
        for (char letter = 'A'; letter <= 'P'; ++letter)
            expected += QString(QChar(letter)).leftJustified(6) + " " +
                        QStringLiteral("empty slot").leftJustified(50) + " " +
                        QStringLiteral("0.0").leftJustified(10) + LineEnd();
        QCOMPARE(QGuiApplication::clipboard()->text(), expected); // pastes as 18 lines
    }

    void clipboardHoldsTitlesAsUnicode() {
        window->project().SlotAt(1).SetTitle("Caf\xE9");
        window->CopyListToClipboard();
        const QString line = QStringLiteral("A      ") +
                             QStringLiteral("Caf\u00E9").leftJustified(50) + " " +
                             QStringLiteral("0.0").leftJustified(10) + LineEnd();
        QVERIFY(QGuiApplication::clipboard()->text().contains(line));
    }
};

QTEST_MAIN(BuilderWindowTest)
#include "BuilderWindowTest.moc"
