#pragma once
#include <QDialog>

// The modal "About Palisor" window: the program icon, the version line and an OK button.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);
};
