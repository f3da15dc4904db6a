#pragma once
#include <QDialog>

class Prompts;

// The modal "About Palisor" window: the program icon, the version line, the licence, the home
// page as a link, and an OK button. A link that cannot be opened is reported through prompts
// (a message box of the link's own when none is given).
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kHomePage = "https://korvane.example.org/";
    static constexpr const char* kLicence =
        "Free software under the GNU General Public License,\n"
        "version 3 or later (GPL-3.0-or-later).";

    explicit AboutWindow(QWidget* parent = nullptr, Prompts* prompts = nullptr);
};
