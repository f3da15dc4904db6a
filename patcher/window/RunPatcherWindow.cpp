// Palisor's window, started by main() when there are no options.
#include "patcher/RunPatcherWindow.h"

#include "patcher/GameFolderController.h"
#include "patcher/SystemSongPlayer.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "patcher/window/PalisorIcon.h"
#include "patcher/window/PatcherWindow.h"
#include "patcher/window/RecentChoices.h"
#include "platform/ProgramArguments.h"
#include "platform/WorkFolders.h"

#include <QApplication>

int RunPatcherWindow(int argc, char** argv, const PatcherArguments& arguments) {
    ReleaseOwnConsole();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Palisor"));
    QApplication::setApplicationName(QStringLiteral("Palisor"));
    QApplication::setWindowIcon(PalisorIcon());
    const GameDirAnswer registry = RegistryGameDir();
    const std::vector<std::string> folders = GameFolderController::StartingGameFolders(
        arguments.gameFolder, RecentChoices::GameFolder(), registry.folder,
        FindGameFolders(DiscoveryPlaces::FromEnvironment()));
    SystemSongPlayer player; // the window's alone: the command line never plays
    PatcherWindow window(folders.empty() ? "" : folders.front(), WorkBaseFolder("Palisor"));
    window.SetSongPlayer(&player);
    window.NoteRegistryRefusal(registry.refusal);
    window.OfferGameFolders(folders);
    window.ChoosePack(GameFolderController::StartingPack(arguments.pack, RecentChoices::Pack()));
    window.exec();
    return 0;
}
