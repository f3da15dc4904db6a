// Palisor's window, started by main() when there are no options.
#include "patcher/RunPatcherWindow.h"

#include "patcher/gamefolder/GameFolderCheck.h"
#include "patcher/gamefolder/GameFolderDiscovery.h"
#include "patcher/window/PalisorIcon.h"
#include "patcher/window/PatcherWindow.h"
#include "patcher/window/RecentChoices.h"
#include "platform/FileOps.h"
#include "platform/ProgramArguments.h"
#include "platform/WorkFolders.h"

#include <QApplication>

namespace {

// The drop-down's folders: the one named on the command line, else the one used last (while
// it still is the game's); then the registry's answer, as the window has always started with;
// then every other install found under Wine.
std::vector<std::string> GameFolderChoices(const PatcherArguments& arguments) {
    std::vector<std::string> folders;
    if (arguments.gameFolder)
        folders.push_back(*arguments.gameFolder);
    else if (const std::string last = RecentChoices::GameFolder(); IsGameFolder(last))
        folders.push_back(last);
    if (const std::string registry = RegistryGameFolder(); !registry.empty())
        folders.push_back(registry);
    for (const auto& found : FindGameFolders(DiscoveryPlaces::FromEnvironment()))
        folders.push_back(found.folder);
    return folders;
}

} // namespace

int RunPatcherWindow(int argc, char** argv, const PatcherArguments& arguments) {
    ReleaseOwnConsole();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Palisor"));
    QApplication::setApplicationName(QStringLiteral("Palisor"));
    QApplication::setWindowIcon(PalisorIcon());
    const std::vector<std::string> folders = GameFolderChoices(arguments);
    PatcherWindow window(folders.empty() ? "" : folders.front(), WorkBaseFolder("Palisor"));
    window.OfferGameFolders(folders);
    if (!arguments.pack.empty())
        window.ChoosePack(arguments.pack);
    else if (const std::string last = RecentChoices::Pack(); FileExists(last))
        window.ChoosePack(last);
    window.exec();
    return 0;
}
