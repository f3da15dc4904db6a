// korvane_screenshots: renders Korvane's window for the documentation, without a display.
//   QT_QPA_PLATFORM=offscreen korvane_screenshots OUTPUT_FOLDER
// Writes korvane-main.png (a full project, row D selected, trimmed and paused while it plays)
// and korvane-drop.png (three files dragged over row C of a project with two songs). The
// player plays on SDL's dummy output unless SDL_AUDIODRIVER names another.
#include "builder/window/BuilderWindow.h"
#include "builder/window/SlotList.h"
#include "common/ConsolePrompts.h"
#include "tools/SongSynth.h"

#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <fstream>

namespace {

const char* const kTitles[16] = {
    "Dawn Over The Paddies", "River Patrol",   "Monsoon \"Blues\"", "Radio Hanoi",
    "Long Range Recon",      "Huey Lullaby",   "Firebase Evening",  "Delta Drift",
    "Short Timer",           "Jungle Canopy",  "Hill 881",          "Mekong Morning",
    "Night Ambush",          "Saigon Shuffle", "Extraction",        "Going Home"};

std::string WriteSong(const QString& folder, int index, double seconds) {
    // Written as the system's user reads paths, as an import stores them.
    const std::string path =
        QDir::toNativeSeparators(
            QDir(folder).filePath(QStringLiteral("song%1.wav").arg(index + 1, 2, 10, QChar('0'))))
            .toStdString();
    const std::string bytes = SongSynth::WavFile(SongSynth().Render(index, seconds));
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

void FillSlots(BuilderWindow& window, const QString& folder, int count) {
    for (int index = 0; index < count; ++index) {
        SongSlot& slot = window.project().SlotAt(index + 1);
        slot.SetTitle(kTitles[index]);
        slot.SetPath(WriteSong(folder, index, 2 + index % 5));
    }
    window.project().Save();
    const std::string project = window.project().path(); // the load empties the model's copy
    window.OpenProjectFile(project);                     // reopening refreshes the whole window
}

// Row D cut to 0.5 s to 4.5 s with its fades, held at 1.2 s into it.
bool TrimAndPause(BuilderWindow& window) {
    using Field = ProjectController::TrimField;
    window.list()->selectRow(3);
    window.Run([](ProjectController& controller) {
        controller.SetTrimText(Field::Start, "0.5");
        controller.SetTrimText(Field::End, "4.5");
        controller.SetTrimText(Field::FadeIn, "0.5");
        controller.SetTrimText(Field::FadeOut, "1");
    });
    QElapsedTimer waited;
    waited.start();
    while (!window.playButton()->isEnabled() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    window.Run([](ProjectController& controller) {
        controller.PlayOrPause();
        controller.PlayOrPause();
        controller.SeekListening(1.2);
    });
    return window.playButton()->isEnabled();
}

bool Save(QWidget& widget, const QString& file) {
    QApplication::processEvents();
    return widget.grab().save(file);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KorvaneScreenshots"));
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvane_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir songs;
    ConsolePrompts prompts;
    bool saved = true;
    {
        BuilderWindow window(songs.path().toStdString());
        window.SetPrompts(&prompts); // nothing may stop the run with a dialog
        window.project().SetPath(QDir(songs.path()).filePath("Mekong.velkp").toStdString());
        FillSlots(window, songs.path(), 16);
        window.show();
        saved = TrimAndPause(window) && Save(window, output.filePath("korvane-main.png")) && saved;
    }
    {
        BuilderWindow window(songs.path().toStdString());
        window.SetPrompts(&prompts); // nothing may stop the run with a dialog
        window.project().SetPath(QDir(songs.path()).filePath("Delta.velkp").toStdString());
        FillSlots(window, songs.path(), 2);
        window.show();
        QApplication::processEvents();
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/music/Monsoon.flac"),
                       QUrl::fromLocalFile("/music/Radio Hanoi.mp3"),
                       QUrl::fromLocalFile("/music/Long Range Recon.ogg")});
        QWidget* viewport = window.list()->viewport();
        const QTableWidget& list = *window.list();
        const QPoint overRowC(60, list.rowViewportPosition(2) + list.rowHeight(2) / 2);
        QDragEnterEvent enter(overRowC, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(overRowC, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        saved = Save(window, output.filePath("korvane-drop.png")) && saved;
    }
    return saved ? 0 : 1;
}
