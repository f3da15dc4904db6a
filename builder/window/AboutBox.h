#pragma once
#include <QDialog>

class HyperlinkLabel;

// "About Korvane": the application icon, the version, the licence, the home page as a link and
// an OK button, wide enough that the title is never cut. Cannot fail.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);

    HyperlinkLabel* homePage() const { return homePage_; }

private:
    HyperlinkLabel* homePage_ = nullptr;
};
