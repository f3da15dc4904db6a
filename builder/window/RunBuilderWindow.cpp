// Korvane's window, started by main() when there are no options.
#include "builder/RunBuilderWindow.h"

#include "builder/window/ApplicationIcon.h"
#include "builder/window/BuilderWindow.h"
#include "platform/ProgramArguments.h"
#include "platform/WorkFolders.h"

#include <QApplication>

int RunBuilderWindow(int argc, char** argv, const BuilderArguments& arguments) {
    ReleaseOwnConsole();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));
    QApplication::setWindowIcon(ApplicationIcon()); // message boxes and dialogs carry it too
    BuilderWindow window(WorkBaseFolder("Korvane"));
    if (!arguments.project.empty())
        window.OpenProjectFile(arguments.project);
    window.exec();
    return 0;
}
