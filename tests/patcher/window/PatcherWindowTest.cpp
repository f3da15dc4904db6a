#include "patcher/window/PatcherWindow.h"
#include "builder/GameScripts.h"
#include "builder/SongProject.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/install/Backup.h"
#include "patcher/window/AboutWindow.h"
#include "patcher/window/ElidedPathEdit.h"
#include "patcher/window/PackPreviewList.h"
#include "patcher/window/RecentChoices.h"
#include "platform/FileOps.h"
#include "tests/patcher/FakeGameFolderAccess.h"
#include "tests/patcher/PackFixture.h"
#include "tests/patcher/RecordingControls.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <memory>

using Messages = std::vector<std::string>;

// A pack as Korvane writes it: its two scripts for titles in the game's Windows-1252, and the
// fixture's sixteen songs.
std::string KorvanePackBytes() {
    TempFolder scripts;
    SongProject project;
    for (int position = 1; position <= 16; ++position)
        project.SlotAt(position).SetTitle((position % 2 ? "Caf\xE9 N\xBA " : "Plain ") +
                                          std::to_string(position));
    const std::string playlists = scripts.file("playlists.con"), sound = scripts.file("US.ssc");
    if (!project.WritePlaylistScript(playlists) || !WriteSoundScript(sound))
        return {};
    std::vector<PackEntry> entries = {{"velk/playlists.con", ReadFileBytes(playlists)},
                                      {"velk/US.ssc", ReadFileBytes(sound)}};
    for (std::size_t n = 1; n <= 16; ++n)
        entries.push_back(
            {QStringLiteral("velk/music%1.ogg").arg(n, 2, 10, QLatin1Char('0')).toStdString(),
             SongOggs()[n - 1]});
    return FlatArchiveBytes(entries);
}

// The fixture pack with another US.ssc.
std::vector<PackEntry> WithSoundScript(const std::string& text) {
    std::vector<PackEntry> entries = RegularPackEntries();
    for (auto& entry : entries)
        if (entry.name == "velk/US.ssc")
            entry.data = text;
    return entries;
}

class PatcherWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> temp, settingsFolder;
    std::string game, base;
    FakePrompts prompts;

    std::unique_ptr<PatcherWindow> OpenWindow(const std::string& gameFolder,
                                              GameFolderAccess* access = nullptr) {
        auto window = std::make_unique<PatcherWindow>(gameFolder, base, &prompts, access);
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
    void initTestCase() {
        settingsFolder = std::make_unique<TempFolder>();
        // A file in a folder of the test's own, never the Windows registry.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder->path()));
    }

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
        // Successes are information, not warnings.
        QCOMPARE(prompts.information,
                 (Messages{"Your files are now backed up in: " + BackupsFolder(game),
                           "Your original files have been restored."}));
    }

    void smallestWindowKeepsEveryControlOnAScaledSmallScreen() {
        auto window = OpenWindow(game);
        QVERIFY(window->minimumSize() != window->maximumSize()); // resizable
        // 1280 x 900 at a scale factor of 2 is 640 x 450 in the window's own pixels, less a
        // title bar.
        QVERIFY(window->minimumWidth() <= 640);
        QVERIFY(window->minimumHeight() <= 450 - 30);
        const std::vector<QWidget*> controls{
            window->PackField(),      window->PackBrowseButton(), window->PreviewList(),
            window->GameFolderList(), window->GameBrowseButton(), window->StateLine(),
            window->ApplyButton(),    window->BackupButton(),     window->RestoreButton()};
        window->resize(window->minimumSize());
        QCoreApplication::processEvents();
        for (QWidget* control : controls)
            QVERIFY2(window->rect().contains(control->geometry()),
                     control->metaObject()->className());
        QVERIFY(window->PreviewList()->geometry().bottom() <
                window->GameFolderList()->geometry().top());
        const QRect smallPreview = window->PreviewList()->geometry();
        const QRect smallRestore = window->RestoreButton()->geometry();
        window->resize(window->minimumSize() + QSize(120, 90));
        QCoreApplication::processEvents();
        QCOMPARE(window->PreviewList()->geometry().size(), smallPreview.size() + QSize(120, 90));
        QCOMPARE(window->RestoreButton()->geometry(), smallRestore.translated(120, 90));
    }

    void previewIsInTheTabOrderAndAMissingFolderIsNamed() {
        auto window = OpenWindow(game);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->PackBrowseButton()->setFocus();
        QTest::keyClick(window->PackBrowseButton(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->PreviewList()));

        window->ChooseGameFolder(temp->file("nowhere"));
        QCOMPARE(window->GameFolderFlag()->text(), QStringLiteral("This folder does not exist."));
        QCOMPARE(window->StateLine()->text(), QStringLiteral("The chosen folder does not exist."));
        QVERIFY(!window->BackupButton()->isEnabled());
    }

    void typedAndBrowsedFoldersAreTakenAndChecked() {
        MakeBackups();
        auto window = OpenWindow("");
        QCOMPARE(window->StateLine()->text(), QStringLiteral("No game folder chosen."));
        QVERIFY(!window->BackupButton()->isEnabled());
        const std::string other = temp->file("OtherGame");
        QVERIFY(CreateFolder(other));
        const QString notTheGame = QStringLiteral("Not a Battlefield Vietnam folder: "
                                                  "Mods/BfVietnam/settings/Default.con is missing");

        // Typed, then confirmed with Enter: taken, checked and flagged.
        QTest::keyClicks(window->GameFolderField(), QString::fromStdString(other));
        QTest::keyClick(window->GameFolderField(), Qt::Key_Return);
        QCOMPARE(window->GameFolder(), other);
        QCOMPARE(window->GameFolderFlag()->text(), notTheGame);
        QVERIFY(!window->BackupButton()->isEnabled());
        QVERIFY(!window->RestoreButton()->isEnabled());
        WriteFileBytes(temp->file("songs.velk"), KorvanePackBytes());
        window->ChoosePack(temp->file("songs.velk"));
        QVERIFY(!window->ApplyButton()->isEnabled()); // flagged: no apply either

        // Typed and a button pressed at once: the typed folder is the one used.
        window->GameFolderField()->setText(QString::fromStdString(game));
        window->RestoreButton()->setEnabled(true);
        window->RestoreButton()->click();
        QCOMPARE(window->GameFolder(), game);
        QCOMPARE(prompts.messages, Messages{"Your original files have been restored."});
        QVERIFY(window->GameFolderFlag()->text().isEmpty());
        QVERIFY(window->BackupButton()->isEnabled());
        QVERIFY(window->ApplyButton()->isEnabled());
        QCOMPARE(RecentChoices::GameFolder(), game);
        QCOMPARE(RecentChoices::Pack(), temp->file("songs.velk"));

        // Browsed: the same check; the drop-down offers each game folder once.
        prompts.answers = {other, game};
        window->GameBrowseButton()->click();
        QCOMPARE(prompts.dialogs.back().kind, std::string("folder"));
        QCOMPARE(prompts.dialogs.back().title, std::string("Find The BFV Folder"));
        QCOMPARE(window->GameFolderFlag()->text(), notTheGame);
        window->GameBrowseButton()->click();
        QVERIFY(window->GameFolderFlag()->text().isEmpty());
        window->OfferGameFolders({game, other, game});
        QCOMPARE(window->GameFolderList()->count(), 2);
        QCOMPARE(window->GameFolderList()->itemText(0).toStdString(), game);
        QCOMPARE(window->GameFolderField()->text().toStdString(), game);
        emit window->GameFolderList()->activated(1);
        QCOMPARE(window->GameFolder(), other);
    }

    void longPathsAreElidedInTheMiddle() {
        const std::string deep = game + "/" + std::string(150, 'x');
        auto window = OpenWindow(deep);
        auto* field = qobject_cast<ElidedPathEdit*>(window->GameFolderField());
        QVERIFY(field != nullptr);
        window->BackupButton()->setFocus(); // while edited, the field shows its text whole
        const QString shown = field->ShownText();
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(shown.startsWith(QString::fromStdString(game).left(4)));
        QVERIFY(shown.endsWith(QStringLiteral("xxx")));
        QCOMPARE(field->toolTip().toStdString(), deep);
    }

    void stateLineAfterBackupApplyAndRestore() {
        auto window = OpenWindow(game);
        QCOMPARE(window->StateLine()->text(), QStringLiteral("No backups yet. No pack installed."));
        window->BackupButton()->click();
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("Backups made and checked. No pack installed."));
        const std::string original = ReadFileBytes(BackedUpMusicRfa(game));
        WriteFileBytes(BackedUpMusicRfa(game), original + "!");
        window->ChooseGameFolder("");
        window->ChooseGameFolder(game);
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("Backups do not check out against their manifest. "
                                "No pack installed."));
        QVERIFY(!window->RestoreButton()->isEnabled());
        WriteFileBytes(BackedUpMusicRfa(game), original);
        const std::string pack = temp->file("Summer Songs.velk");
        WriteFileBytes(pack, KorvanePackBytes());
        window->ChoosePack(pack);
        window->ApplyButton()->click();
        QCOMPARE(prompts.messages.back(), std::string("Patching Is Done!"));
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("Backups made and checked. Pack installed: Summer Songs.velk."));
        // A music.rfa changed behind Palisor's back no longer passes for the recorded pack.
        WriteFileBytes(GameMusicRfa(game), "another tool's music");
        window->ChooseGameFolder("");
        window->ChooseGameFolder(game);
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("Backups made and checked. Pack installed: unknown pack."));
        window->RestoreButton()->click();
        QCOMPARE(prompts.messages.back(), std::string("Your original files have been restored."));
        QCOMPARE(window->StateLine()->text(), QStringLiteral("No backups yet. No pack installed."));
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

    void packPreviewShowsTheSongsOrWhyThePackIsRefused() {
        auto window = OpenWindow(game);
        const std::string pack = temp->file("songs.velk");
        WriteFileBytes(pack, KorvanePackBytes());
        prompts.answers = {pack};
        window->PackBrowseButton()->click();
        const auto& options = prompts.dialogs.back().options;
        QCOMPARE(options.filter, std::string("VELK Files (*.velk)|*.velk||"));
        QCOMPARE(options.defaultExtension, std::string("velk"));
        QCOMPARE(options.initialFileName, std::string("*.velk"));
        QCOMPARE(window->PackField()->text().toStdString(), pack);
        QVERIFY(window->ApplyButton()->isEnabled());
        QVERIFY(window->PackNote()->text().isEmpty());
        const auto* list = window->PreviewList();
        QCOMPARE(list->topLevelItemCount(), 16);
        for (int row = 0; row < 16; ++row) {
            const auto* item = list->topLevelItem(row);
            QCOMPARE(item->text(0), QStringLiteral("%1").arg(row + 1, 2, 10, QLatin1Char('0')));
            QCOMPARE(item->text(1), row % 2 ? QStringLiteral("Plain %1").arg(row + 1)
                                            : QStringLiteral("Café Nº %1").arg(row + 1));
            QCOMPARE(item->text(2), QStringLiteral("0:00")); // the fixture songs are short
        }
        QVERIFY(std::filesystem::is_empty(WorkFolderIn(base))); // the preview leaves nothing

        const std::string bad = temp->file("bad.velk");
        const std::vector<std::pair<std::string, std::string>> refused = {
            {"x", "Not a valid velk file."},
            {FlatArchiveBytes(WithSoundScript("sound script\r\n")),
             "US.ssc is refused: it is not the sound script Korvane writes."},
        };
        for (const auto& [bytes, why] : refused) {
            WriteFileBytes(bad, bytes);
            window->ChoosePack("");
            window->ChoosePack(bad);
            QCOMPARE(window->PackNote()->text().toStdString(), why);
            QCOMPARE(list->topLevelItemCount(), 0);
            QVERIFY(!window->ApplyButton()->isEnabled());
            QVERIFY(std::filesystem::is_empty(WorkFolderIn(base)));
        }
        window->ChoosePack(temp->file("gone.velk"));
        QCOMPARE(window->PackNote()->text(), QStringLiteral("File is missing - unable to patch."));
        QVERIFY(!window->ApplyButton()->isEnabled());
        QCOMPARE(RecentChoices::Pack(), bad); // only a pack that exists is remembered
    }

    void applyRunsThePatchBehindTheProgressWindow() {
        MakeBackups();
        auto window = OpenWindow(game);
        const std::string pack = temp->file("songs.velk");
        WriteFileBytes(pack, KorvanePackBytes());
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
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("Backups made and checked. No pack installed. "
                                "An interrupted install was recovered."));
    }

    void heldGameFileAsksToCloseTheGameFirst() {
        MakeBackups();
        FakeGameFolderAccess access;
        access.heldChecksLeft = 1;
        auto window = OpenWindow(game, &access);
        const auto before = TreeSnapshot(game);
        window->BackupButton()->setEnabled(true); // backing up again is refused by the core
        prompts.questionAnswers = {Prompts::Answer::Cancel};
        window->RestoreButton()->click();
        const std::string question =
            GameDefaultCon(game) +
            " is in use by another program (is the game running?). Close the game, then press "
            "Retry. Nothing was changed.";
        QCOMPARE(prompts.questions, Messages{question});
        QVERIFY(prompts.questionButtons == std::vector{Prompts::Buttons::RetryCancel});
        QVERIFY(prompts.messages.empty());
        QVERIFY(TreeSnapshot(game) == before);
        QVERIFY(window->RestoreButton()->isEnabled());
        // Closed after the first Retry: the restore runs.
        access.heldChecksLeft = 2;
        prompts.questionAnswers = {Prompts::Answer::Retry, Prompts::Answer::Retry};
        window->RestoreButton()->click();
        QCOMPARE(prompts.questions, (Messages{question, question, question}));
        QCOMPARE(prompts.messages, Messages{"Your original files have been restored."});
    }

    void virtualStoreCopiesAreOfferedToBeMovedAside() {
        FakeGameFolderAccess access;
        access.programFiles = {temp->path()};
        access.localAppData = temp->file("Local");
        const VirtualStoreCopies copies(game, access.programFiles, access.localAppData);
        const std::string mirror = copies.Mirror();
        QVERIFY(!mirror.empty());
        std::filesystem::create_directories(JoinPath(mirror, "Mods/BfVietnam/Archives"));
        const std::string copiedRfa("what an older tool wrote\0\xFF", 26);
        WriteFileBytes(JoinPath(mirror, kGameMusicRfaInFolder), copiedRfa);
        auto window = OpenWindow(game, &access);
        const QString note = QStringLiteral(
            "The game reads copies of its files from VirtualStore, not from this folder.");
        QCOMPARE(window->StateLine()->text(),
                 QStringLiteral("No backups yet. No pack installed. ") + note);
        const std::string question =
            "The game reads copies of its files from VirtualStore (" + mirror +
            "), not from the game folder, so it would not see what Palisor changes there.\n\n"
            "Move the copies aside into custom_music/backups, where they are kept, so that the "
            "game reads its own folder again?";

        // Cancel: nothing is done.
        const auto before = TreeSnapshot(temp->path());
        prompts.questionAnswers = {Prompts::Answer::Cancel};
        window->BackupButton()->click();
        QCOMPARE(prompts.questions, Messages{question});
        QVERIFY(prompts.questionButtons == std::vector{Prompts::Buttons::YesNoCancel});
        QVERIFY(prompts.messages.empty());
        QVERIFY(TreeSnapshot(temp->path()) == before);

        // No: the backup is made, and the user is told the game keeps reading the copies.
        prompts.questionAnswers = {Prompts::Answer::No};
        window->BackupButton()->click();
        QCOMPARE(prompts.messages,
                 (Messages{"The copies in " + mirror +
                               " were left where they are: the game will keep reading them "
                               "instead of the files Palisor changes.",
                           "Your files are now backed up in: " + BackupsFolder(game)}));
        QCOMPARE(ReadFileBytes(JoinPath(mirror, kGameMusicRfaInFolder)), copiedRfa);

        // Yes: the copies go into the backups, then the restore runs.
        prompts.messages.clear();
        prompts.questionAnswers = {Prompts::Answer::Yes};
        window->RestoreButton()->click();
        QCOMPARE(prompts.messages, Messages{"Your original files have been restored."});
        QVERIFY(copies.Existing().empty());
        QVERIFY(!FolderExists(mirror));
        std::vector<FolderEntry> aside = ListFolder(BackupsFolder(game));
        QCOMPARE(aside.size(), std::size_t(1));
        QVERIFY(aside[0].name.rfind("VirtualStore 20", 0) == 0);
        QCOMPARE(ReadFileBytes(
                     JoinPath(JoinPath(BackupsFolder(game), aside[0].name), kGameMusicRfaInFolder)),
                 copiedRfa);
        QCOMPARE(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
        QCOMPARE(window->StateLine()->text(), QStringLiteral("No backups yet. No pack installed."));
    }

    void aFolderNeedingAdministratorOffersARestart() {
        FakeGameFolderAccess access;
        const std::string archives = JoinPath(game, "Mods/BfVietnam/Archives");
        access.deniedFolders = {archives};
        auto window = OpenWindow(game, &access);
        const std::string pack = temp->file("Summer Songs.velk");
        WriteFileBytes(pack, KorvanePackBytes());
        window->ChoosePack(pack);
        QVERIFY(window->ApplyButton()->isEnabled());
        const auto before = TreeSnapshot(game);
        const std::string question =
            "Only an administrator may change files in " + archives +
            ", so Palisor cannot do it as it runs now. Nothing was changed.\n\nRestart Palisor "
            "as administrator, with the same game folder and pack?";
        const std::vector<std::string> arguments = {"--game-folder", game, pack};

        // No, then the system's prompt declined, then a failure: the window stays, nothing
        // is changed, and the work folder is still this window's.
        access.restartOutcome = RestartOutcome::Declined;
        prompts.questionAnswers = {Prompts::Answer::No, Prompts::Answer::Yes};
        window->ApplyButton()->click();
        QVERIFY(access.restarts.empty());
        window->ApplyButton()->click();
        access.restartOutcome = RestartOutcome::Failed;
        prompts.questionAnswers = {Prompts::Answer::Yes};
        window->BackupButton()->click();
        QCOMPARE(prompts.questions, (Messages{question, question, question}));
        QVERIFY(access.restarts == (std::vector{arguments, arguments}));
        QCOMPARE(prompts.messages,
                 Messages{"Couldn't restart Palisor as administrator. Nothing was changed."});
        QVERIFY(TreeSnapshot(game) == before);
        QVERIFY(window->isVisible());
        QVERIFY(window->ApplyButton()->isEnabled()); // the pack was read again
        prompts.messages.clear();
        auto second = OpenWindow(game);
        QCOMPARE(prompts.messages.size(), std::size_t(1)); // another Palisor holds the work folder
        QTRY_VERIFY(!second->isVisible());

        // Yes, and the elevated Palisor started: this window closes and lets the work folder go.
        access.restartOutcome = RestartOutcome::Started;
        prompts.questionAnswers = {Prompts::Answer::Yes};
        window->ApplyButton()->click();
        QVERIFY(access.restarts.back() == arguments);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(TreeSnapshot(game) == before);
        prompts.messages.clear();
        auto elevated = OpenWindow(game);
        QVERIFY(prompts.messages.empty());
        QVERIFY(elevated->isVisible());
    }

    void aFolderNotWritableWithoutElevationIsOnlyExplained() {
        FakeGameFolderAccess access;
        access.canRestart = false;     // Linux
        access.deniedFolders = {game}; // where custom_music would be made
        auto window = OpenWindow(game, &access);
        const auto before = TreeSnapshot(game);
        window->BackupButton()->click();
        QCOMPARE(prompts.messages,
                 Messages{"Couldn't do it - you may not change files in " + game +
                          ". Give your user permission to write the game folder, then try "
                          "again. Nothing was changed."});
        QVERIFY(prompts.questions.empty());
        QVERIFY(access.restarts.empty());
        QVERIFY(TreeSnapshot(game) == before);
    }

    void enterKeepsTheWindowOpen() {
        auto window = OpenWindow(game);
        for (QWidget* target :
             std::initializer_list<QWidget*>{window.get(), window->BackupButton(),
                                             window->PackField(), window->GameFolderField()}) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY(window->isVisible());
        }
        QVERIFY(prompts.messages.empty()); // nor did it press the focused button
        QCOMPARE(window->GameFolder(), game);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
    }

    void aboutWindowShowsTheVersion() {
        AboutWindow about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Palisor"));
        bool found = false;
        for (auto* label : about.findChildren<QLabel*>())
            found = found || label->text() == QStringLiteral("Palisor Version 1.02.2");
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
