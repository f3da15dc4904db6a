#include "builder/window/ProjectMenu.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QOperatingSystemVersion>
#include <QSignalBlocker>

namespace {

// The clipboard's text in the system's own line ends, so that it pastes as lines anywhere.
QString WithSystemLineEnds(QString text) {
    const bool windows = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    return text.replace(QLatin1Char('\r'), windows ? QStringLiteral("\r\n") : QStringLiteral("\n"));
}

bool PutOnClipboard(const std::string& text) {
    const QString shown = WithSystemLineEnds(QString::fromStdString(text));
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard)
        clipboard->setText(shown);
    return clipboard && clipboard->text() == shown;
}

} // namespace

ProjectMenu::ProjectMenu(QWidget* window, Runner run)
    : QMenuBar(window), window_(window), run_(std::move(run)) {
    using C = ProjectController;
    QMenu* file = addMenu(QStringLiteral("&File"));
    AddCommand(file, "&New Project", "Ctrl+N", &C::NewProject);
    file->addSeparator();
    AddCommand(file, "&Open Project...", "Ctrl+O", &C::OpenProject);
    recentMenu_ = file->addMenu(QStringLiteral("&Recent Projects"));
    AddCommand(file, "&Save Project", "Ctrl+S", [](C& controller) { controller.SaveProject(); });
    AddCommand(file, "Save Project &As...", "Ctrl+Shift+S",
               [](C& controller) { controller.SaveProjectAs(); });
    file->addSeparator();
    AddCommand(file, "A&dd Songs...", "Ctrl+I", &C::AddSongs);
    matchLoudnessAction_ = file->addAction(QStringLiteral("&Match Loudness"));
    matchLoudnessAction_->setCheckable(true);
    connect(matchLoudnessAction_, &QAction::toggled, this,
            [this](bool on) { run_([on](C& controller) { controller.SetMatchLoudness(on); }); });
    file->addSeparator();
    AddCommand(file, "&Copy List To Clipboard", nullptr,
               [](C& controller) { controller.CopyList(PutOnClipboard); });
    file->addSeparator();
    AddCommand(file, "&Build VELK...", nullptr, &C::Build);
    file->addSeparator();
    connect(AddWindowAction(file, "E&xit", "Ctrl+Q"), &QAction::triggered, this,
            &ProjectMenu::ExitChosen);
    connect(file, &QMenu::aboutToShow, this, [this] { run_(&C::RefreshRecentProjects); });
    // Linux window managers offer no system menu to extend; the About item lives here.
    QMenu* help = addMenu(QStringLiteral("&Help"));
    connect(AddWindowAction(help, "&About Korvane...", "F1"), &QAction::triggered, this,
            &ProjectMenu::AboutChosen);
}

QAction* ProjectMenu::AddWindowAction(QMenu* menu, const char* text, const char* keys) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    if (keys)
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    window_->addAction(action); // the shortcut works whether or not the menu was ever opened
    return action;
}

QAction* ProjectMenu::AddCommand(QMenu* menu, const char* text, const char* keys,
                                 const Command& command) {
    QAction* action = AddWindowAction(menu, text, keys);
    connect(action, &QAction::triggered, this, [this, command] { run_(command); });
    return action;
}

void ProjectMenu::Draw(const ProjectView& view) {
    DrawRecent(view.recentProjects);
    const QSignalBlocker blocker(matchLoudnessAction_);
    matchLoudnessAction_->setChecked(view.matchLoudness);
}

void ProjectMenu::DrawRecent(const std::vector<std::string>& recent) {
    if (recent == shownRecent_)
        return;
    shownRecent_ = recent;
    recentMenu_->clear();
    for (std::size_t index = 0; index < recent.size(); ++index) {
        QString label = QString::fromStdString(recent[index]);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg(index + 1).arg(label));
        connect(action, &QAction::triggered, this, [this, path = recent[index]] {
            run_([path](ProjectController& controller) { controller.OpenRecentProject(path); });
        });
    }
    recentMenu_->setEnabled(!recent.empty());
}
