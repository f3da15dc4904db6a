// palisor_screenshots: renders Palisor's window for the documentation, without a display.
//   QT_QPA_PLATFORM=offscreen palisor_screenshots WINDOW.png [ABOUT.png [FONT_FAMILY]]
// A game folder with the game's two files and a pack of sixteen synthesised songs built as
// Korvane builds it, backed up and installed, the third song playing (through SDL's disk
// driver, in real time), access keys underlined as while Alt is held. Run under Wine, it shows
// the Windows edition.
#include "builder/BuildPipeline.h"
#include "builder/SongProject.h"
#include "common/ConsoleProgress.h"
#include "common/ConsolePrompts.h"
#include "patcher/SystemSongPlayer.h"
#include "patcher/window/AboutWindow.h"
#include "patcher/window/PackPreviewList.h"
#include "patcher/window/PatcherWindow.h"
#include "tools/SongSynth.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

namespace {

const char* const kTitles[16] = {
    "Going Home",  "River Patrol",  "Monsoon",       "Night Watch",  "Landing Zone", "Tall Grass",
    "Radio Silence", "Firebase",    "Dust Off",      "Delta Rain",   "Hill 881",     "The Long Road",
    "Paddy Fields", "Last Chopper", "Morning Mist",  "Homeward"};

// Access keys underlined at all times, as a Windows style draws them while Alt is held.
class UnderlinedShortcuts : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_UnderlineShortcut)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Sixteen songs of 20 to 65 seconds, built into a pack as Korvane builds it.
bool BuildPack(const QDir& folder, const std::string& pack, Prompts& prompts) {
    SongProject project;
    for (int index = 0; index < SongProject::kSlotCount; ++index) {
        const QString wav = folder.filePath(QStringLiteral("song%1.wav").arg(index + 1));
        WriteFile(wav, SongSynth::WavFile(SongSynth().Render(index, 20 + 3 * index)));
        SongSlot& slot = project.SlotAt(index + 1);
        slot.SetTitle(kTitles[index]);
        slot.SetPath(wav.toStdString());
    }
    ConsoleProgress progress;
    return BuildPipeline(prompts, progress, folder.path().toStdString())
        .BuildMusicPackTo(project, pack);
}

std::string MakeGameFolder(const QDir& folder) {
    const QString game = folder.filePath(QStringLiteral("Battlefield Vietnam"));
    QDir().mkpath(game + QStringLiteral("/Mods/BfVietnam/settings"));
    QDir().mkpath(game + QStringLiteral("/Mods/BfVietnam/Archives"));
    WriteFile(game + QStringLiteral("/Mods/BfVietnam/settings/Default.con"), "run game.con\r\n");
    WriteFile(game + QStringLiteral("/Mods/BfVietnam/Archives/music.rfa"), "the game's music");
    return QDir::toNativeSeparators(game).toStdString();
}

void Wait(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget& widget, const QString& file) {
    QApplication::processEvents();
    return widget.grab().save(file);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("PalisorScreenshots"));
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: palisor_screenshots WINDOW.png [ABOUT.png [FONT_FAMILY]]\n");
        return 2;
    }
    QApplication::setStyle(new UnderlinedShortcuts);
    if (argc == 4)
        QApplication::setFont(QFont(QString::fromLocal8Bit(argv[3]), 8));
    QTemporaryDir temp;
    const QDir folder(temp.path());
    // The player writes what it plays into the working folder, as fast as a sound card takes it.
    qputenv("SDL_AUDIODRIVER", "disk");
    QDir::setCurrent(temp.path());
    ConsolePrompts prompts;
    const std::string pack =
        QDir::toNativeSeparators(folder.filePath(QStringLiteral("Mekong Memories.velk")))
            .toStdString();
    if (!BuildPack(folder, pack, prompts))
        return 1;
    SystemSongPlayer player;
    PatcherWindow window(MakeGameFolder(folder), folder.path().toStdString(), &prompts);
    window.SetSongPlayer(&player);
    window.ChoosePack(pack);
    window.show();
    QApplication::processEvents();
    window.BackupOriginals();
    window.ApplyPatch();
    while (player.SoundOutput() == Player::Output::Probing)
        Wait(50);
    PackPreviewList* list = window.PreviewList();
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(2));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    Wait(1600);
    bool saved = Save(window, QString::fromLocal8Bit(argv[1]));
    if (argc >= 3) {
        AboutWindow about(&window, &prompts);
        about.show();
        saved = Save(about, QString::fromLocal8Bit(argv[2])) && saved;
    }
    window.done(QDialog::Accepted);
    return saved ? 0 : 1;
}
