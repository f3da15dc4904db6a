// The whole job through the two windows, as a player does it: Korvane opens a project of
// sixteen songs and builds the pack; Palisor backs up a sandbox game, applies the pack and
// restores the originals. With KP_SCREENSHOTS set, both windows are saved there as PNG files.
#include "builder/window/BuilderWindow.h"
#include "patcher/gamefolder/PatcherPaths.h"
#include "patcher/window/PatcherWindow.h"
#include "platform/FileOps.h"
#include "tests/patcher/PackFixture.h"
#include "tests/support/FakeProgress.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WavFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <cstdlib>

namespace {

const char* const kTitles[16] = {
    "Going Home",     "River Patrol",   "Monsoon",        "Night Watch",
    "Landing Zone",   "Tall Grass",     "Radio Silence",  "Firebase",
    "Dust Off",       "Delta Rain",     "Hill 881",       "The Long Road",
    "Paddy Fields",   "Last Chopper",   "Morning Mist",   "Homeward"};

// A short tune per slot, so that every song differs.
std::string Song(const TempFolder& folder, int position) {
    const std::string path = folder.file("songs/song" + std::to_string(position) + ".wav");
    WriteFileBytes(path, MakeWav(1, 22050, 16,
                                 Pcm16Bytes(ToneSamples(1, 22050, 22050, 220.0 + 20 * position))));
    return path;
}

void SaveScreenshot(QWidget& window, const char* name) {
    const QByteArray folder = qgetenv("KP_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents();
    QVERIFY(window.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png"));
}

} // namespace

class WindowJobTest : public QObject {
    Q_OBJECT

    TempFolder folder;
    TempFolder settingsFolder;
    FakePrompts prompts;

    std::unique_ptr<BuilderWindow> OpenBuilder() {
        auto window = std::make_unique<BuilderWindow>(folder.file("korvane"));
        window->SetPrompts(&prompts);
        window->SetProgressFactory([](QWidget*) { return std::make_unique<FakeProgress>(); });
        window->SetFolderOpener([](const QString&) { return true; });
        window->show();
        return window;
    }

private slots:
    void initTestCase() {
        // A file in a folder of the test's own, never the Windows registry.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder.path()));
        QCoreApplication::setOrganizationName("KorvaneWindowJobTest");
        QVERIFY(CreateFolderTree(folder.file("songs")));
        QVERIFY(CreateFolderTree(folder.file("korvane")));
        QVERIFY(CreateFolderTree(folder.file("palisor")));
    }

    void korvaneBuildsTheProjectAndPalisorInstallsIt() {
        const std::string project = folder.file("demo.velkp");
        const std::string pack = folder.file("demo.velk");
        {
            auto making = OpenBuilder();
            for (int position = 1; position <= 16; ++position) {
                making->project().SlotAt(position).SetPath(Song(folder, position));
                making->project().SlotAt(position).SetTitle(kTitles[position - 1]);
            }
            prompts.answers = {project};
            QVERIFY(making->SaveProjectAs());
        }

        auto korvane = OpenBuilder();
        korvane->OpenProjectFile(project);
        korvane->resize(korvane->sizeHint().expandedTo(QSize(640, 520)));
        SaveScreenshot(*korvane, "korvane-windows");
        prompts.answers = {pack};
        prompts.offerAnswers = {false};
        korvane->Build();
        QCOMPARE(prompts.information,
                 std::vector<std::string>{"Done!\n\nThe music pack is at:\n" + pack});
        QVERIFY(FileExists(pack));

        const std::string game = folder.file("game/Battlefield Vietnam");
        MakeGameFolder(game);
        prompts = FakePrompts();
        PatcherWindow palisor(game, folder.file("palisor"), &prompts);
        palisor.show();
        QCoreApplication::processEvents();
        palisor.ChoosePack(pack);
        palisor.BackupButton()->click();
        palisor.ApplyButton()->click();
        QCOMPARE(prompts.messages.back(), std::string("Patching Is Done!"));
        QVERIFY(ReadFileBytes(GameDefaultCon(game)) != kGameDefaultCon);
        QVERIFY(ReadFileBytes(GameMusicRfa(game)) != kGameMusicRfa);
        SaveScreenshot(palisor, "palisor-windows");

        palisor.RestoreButton()->click();
        QCOMPARE(prompts.messages.back(), std::string("Your original files have been restored."));
        QCOMPARE(ReadFileBytes(GameDefaultCon(game)), kGameDefaultCon);
        QCOMPARE(ReadFileBytes(GameMusicRfa(game)), kGameMusicRfa);
    }
};

QTEST_MAIN(WindowJobTest)
#include "WindowJobTest.moc"
