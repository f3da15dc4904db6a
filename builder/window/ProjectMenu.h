#pragma once
#include "builder/ProjectController.h"
#include "builder/ProjectView.h"

#include <QMenuBar>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

// Korvane's File and Help menus. Each command goes to the controller through the window's
// run function; the shortcuts are the window's, so they work whether or not a menu was ever
// opened. Exit and About are the window's own and are handed on as signals.
class ProjectMenu : public QMenuBar {
    Q_OBJECT

public:
    using Command = std::function<void(ProjectController&)>;
    using Runner = std::function<void(const Command&)>;

    ProjectMenu(QWidget* window, Runner run);

    QMenu* recentMenu() const { return recentMenu_; }
    QAction* matchLoudnessAction() const { return matchLoudnessAction_; }
    // The recent projects and the Match Loudness mark.
    void Draw(const ProjectView& view);

signals:
    void ExitChosen();
    void AboutChosen();

private:
    QAction* AddCommand(QMenu* menu, const char* text, const char* keys, const Command& command);
    QAction* AddWindowAction(QMenu* menu, const char* text, const char* keys);
    void DrawRecent(const std::vector<std::string>& recent);

    QWidget* window_;
    Runner run_;
    QMenu* recentMenu_ = nullptr;
    QAction* matchLoudnessAction_ = nullptr;
    std::vector<std::string> shownRecent_{"-"}; // never a real list: the first draw fills it
};
