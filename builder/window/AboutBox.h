#pragma once
#include <QDialog>

// "About Korvane": the application icon, the version line and an OK button. Cannot fail.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);
};
