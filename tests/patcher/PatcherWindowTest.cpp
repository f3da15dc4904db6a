#include "patcher/window/PatcherWindow.h"
#include "common/FileOps.h"
#include "patcher/Backup.h"
#include "patcher/PatcherPaths.h"
#include "patcher/window/AboutWindow.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using Messages = std::vector<std::string>;

class PatcherWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> temp;
    std::string game, base;
    FakePrompts prompts;

    std::unique_ptr<PatcherWindow> OpenWindow(const std::string& gameFolder) {
        auto window = std::make_unique<PatcherWindow>(gameFolder, base, &prompts);
        window->show();
        QCoreApplication::processEvents();
        return window;
    }

    void MakeBackups() {
        RecordingControls controls;
        QVERIFY(BackupOriginals(game, prompts, controls));
        prompts.messages.clear();
    }

private slots:
    void init() {
        temp = std::make_unique<TempFolder>();
        game = temp->file("BFV");
        base = temp->file("program");
        MakeGameFolder(game);
        QVERIFY(CreateFolder(base));
        prompts = FakePrompts();
    }

    void opensWithoutBackups() {
        auto window = OpenWindow(game);
        QCOMPARE(window->windowTitle(), QStringLiteral("Palisor 1.02.2"));
        QCOMPARE(window->GameFolderField()->text().toStdString(), game);
        QVERIFY(window->PackField()->text().isEmpty());
        QVERIFY(!window->ApplyButton()->isEnabled());
        QVERIFY(window->BackupButton()->isEnabled());
        QVERIFY(!window->RestoreButton()->isEnabled());
        QVERIFY(window->PackBrowseButton()->isEnabled());
        QVERIFY(window->GameBrowseButton()->isEnabled());
        QVERIFY(FolderExists(WorkFolderIn(base)));
        QVERIFY(window->isVisible());
    }

    void opensWithBackups() {
        MakeBackups();
        auto window = OpenWindow(game);
        QVERIFY(!window->BackupButton()->isEnabled());
        QVERIFY(window->RestoreButton()->isEnabled());
    }

    void backupThenRestoreSwapButtons() {
        auto window = OpenWindow(game);
        window->BackupButton()->click();
        QCOMPARE(prompts.messages,
                 Messages{"Your files are now backed up in: " + BackupsFolder(game)});
        QVERIFY(!window->BackupButton()->isEnabled());
        QVERIFY(window->RestoreButton()->isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        window->RestoreButton()->click();
        QCOMPARE(prompts.messages.back(), std::string("Your original files have been restored."));
        QVERIFY(window->BackupButton()->isEnabled());
        QVERIFY(!window->RestoreButton()->isEnabled());
    }

    void newGameFolderLeavesButtonsAlone() {
        MakeBackups();
        auto window = OpenWindow(game);
        const std::string other = temp->file("OtherGame");
        QVERIFY(CreateFolder(other));
        prompts.answers.push_back(other);
        window->GameBrowseButton()->click();
        QCOMPARE(prompts.dialogs.back().kind, std::string("folder"));
        QCOMPARE(prompts.dialogs.back().title, std::string("Find The BFV Folder"));
        QCOMPARE(window->GameFolder(), other);
        QCOMPARE(window->GameFolderField()->text().toStdString(), other);
        QVERIFY(window->RestoreButton()->isEnabled());
        QVERIFY(!window->BackupButton()->isEnabled());
        window->RestoreButton()->click(); // tests the new folder, which has no backups
        QCOMPARE(prompts.messages,
                 Messages{"Can't do it - the backup files have been removed - what did you do!?"});
        QVERIFY(window->RestoreButton()->isEnabled());
    }

    void typedTextIsNotTakenOver() {
        auto window = OpenWindow("");
        QTest::keyClicks(window->GameFolderField(), QString::fromStdString(game));
        QTest::keyClicks(window->PackField(), QStringLiteral("typed.velk"));
        window->BackupButton()->click();
        QCOMPARE(prompts.messages, Messages{"Can't do it - you need to locate the BFV folder!"});
        QVERIFY(window->GameFolder().empty());
        QVERIFY(window->PackPath().empty());
        QVERIFY(!window->ApplyButton()->isEnabled());
    }

    void cancelledBrowsersChangeNothing() {
        auto window = OpenWindow(game);
        prompts.answers = {std::nullopt, std::nullopt};
        window->GameBrowseButton()->click();
        window->PackBrowseButton()->click();
        QCOMPARE(prompts.dialogs.size(), size_t(2));
        QCOMPARE(window->GameFolder(), game);
        QVERIFY(window->PackPath().empty());
        QCOMPARE(window->GameFolderField()->text().toStdString(), game);
        QVERIFY(window->PackField()->text().isEmpty());
        QVERIFY(!window->ApplyButton()->isEnabled());
    }

    void packBrowserEnablesApplyOnlyForExistingFiles() {
        auto window = OpenWindow(game);
        const std::string pack = temp->file("songs.velk");
        WriteFileBytes(pack, "x");
        prompts.answers = {pack, temp->file("gone.velk")};
        window->PackBrowseButton()->click();
        const auto& options = prompts.dialogs.back().options;
        QCOMPARE(options.filter, std::string("VELK Files (*.velk)|*.velk||"));
        QCOMPARE(options.defaultExtension, std::string("velk"));
        QCOMPARE(options.initialFileName, std::string("*.velk"));
        QVERIFY(window->ApplyButton()->isEnabled());
        QCOMPARE(window->PackField()->text().toStdString(), pack);
        window->PackBrowseButton()->click();
        QVERIFY(!window->ApplyButton()->isEnabled());
        QCOMPARE(window->PackPath(), temp->file("gone.velk"));
    }

    void applyRunsThePatchBehindTheProgressWindow() {
        MakeBackups();
        auto window = OpenWindow(game);
        const std::string pack = temp->file("songs.velk");
        WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
        prompts.answers = {pack};
        window->PackBrowseButton()->click();
        window->ApplyButton()->click();
        QCOMPARE(prompts.messages, Messages{"Patching Is Done!"});
        QVERIFY(window->isEnabled());
        QVERIFY(ReadFileBytes(GameDefaultCon(game)).size() > kGameDefaultCon.size());
    }

    void workFolderFailureClosesTheWindow() {
        base = temp->file("missing/base");
        auto window = OpenWindow(game);
        QCOMPARE(prompts.messages,
                 Messages{"Error while trying to create folder: " + WorkFolderIn(base)});
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
    }

    void secondWindowOnTheSameWorkFolderCloses() {
        auto first = OpenWindow(game);
        WriteFileBytes(JoinPath(WorkFolderIn(base), "music01.wav"), "the first one's song");
        auto second = OpenWindow(game);
        QCOMPARE(prompts.messages,
                 Messages{"Another Palisor is working with the work folder " + WorkFolderIn(base) +
                          ". Wait until it has finished, then try again."});
        QTRY_VERIFY(!second->isVisible());
        QVERIFY(first->isVisible());
        QCOMPARE(ReadFileBytes(JoinPath(WorkFolderIn(base), "music01.wav")),
                 std::string("the first one's song"));
    }

    void interruptedInstallIsUndoneWhenTheWindowOpens() {
        MakeBackups();
        const std::string relative = "Mods/BfVietnam/settings/Default.con";
        WriteFileBytes(GameDefaultCon(game) + ".kp-new", "half an install");
        WriteFileBytes(InstallJournalFile(game), "Palisor install journal 1\nstate install\n1\t" +
                                                     relative + "\t" + relative + ".kp-new\n");
        auto window = OpenWindow(game);
        QCOMPARE(prompts.messages,
                 Messages{"Palisor found an interrupted change to the game files and undid it: "
                          "the game folder holds the same files as before that change."});
        QVERIFY(!FileExists(InstallJournalFile(game)));
        QVERIFY(!FileExists(GameDefaultCon(game) + ".kp-new"));
        QCOMPARE(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
        QVERIFY(window->RestoreButton()->isEnabled());
    }

    void enterAndEscapeClose() {
        auto window = OpenWindow(game);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
        window->show();
        window->BackupButton()->setFocus();
        QTest::keyClick(window->BackupButton(), Qt::Key_Return);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
        QVERIFY(prompts.messages.empty()); // Enter did not press the focused button
    }

    void aboutWindowShowsTheVersion() {
        AboutWindow about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Palisor"));
        bool found = false;
        for (auto* label : about.findChildren<QLabel*>())
            found = found || label->text() == QStringLiteral("Palisor Version 1.02.1");
        QVERIFY(found);
        auto window = OpenWindow(game);
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
