#pragma once
#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include <functional>

class Prompts;

// A label that works as a web link: link colours, underline while the pointer is over it
// (checked every 100 ms, so it clears within about that time after the pointer leaves), a
// hand cursor, the address as tooltip, and a click that opens the address in the browser.
// When it takes the keyboard focus (give it a focus policy), a focus frame shows it, and
// Space or Enter opens the address as a click does.
// Failure: a failed open beeps and shows "Unable to open hyperlink:\n\n" and the text for
// the platform's result code as a warning message; the label stays unvisited.
class HyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    // Result code of an open: greater than 32 means success.
    using Opener = std::function<int(const QString& address)>;

    explicit HyperlinkLabel(QWidget* parent = nullptr);
    // Places the label and attaches it at once.
    HyperlinkLabel(const QString& text, const QRect& geometry, QWidget* parent);

    // Prepares the label once its text and geometry are set: the address from the text (or
    // the text from the address), the two fonts, fitting to the text, cursor and tooltip.
    void Attach();
    // Resizes the label to its text (when adjust to fit is on), keeping its alignment edge.
    void FitToText();

    void SetAddress(const QString& address);
    QString Address() const { return address; }
    void SetVisited(bool visited);
    bool Visited() const { return visited; }
    // 1: always underlined; -1: underlined while the pointer is over it; else never.
    void SetUnderlineMode(int mode);
    int UnderlineMode() const { return underlineMode; }
    void SetAdjustToFit(bool on) { adjustToFit = on; }
    void SetColours(const QColor& link, const QColor& visited, const QColor& hover);
    QColor LinkColour() const { return linkColour; }
    QColor VisitedColour() const { return visitedColour; }
    QColor HoverColour() const { return hoverColour; }
    // The colour the text is drawn in now.
    QColor CurrentColour() const;
    bool Over() const { return over; }

    // Replaces how addresses are opened (the default is OpenAddress).
    void SetOpener(Opener opener);
    // Sends error messages to these prompts instead of a message box of its own.
    void SetPrompts(Prompts* prompts);

    // Opens the address with the desktop's handler; if that fails, with the command in the
    // BROWSER environment variable. Yields 33 on success, the failing step's code otherwise
    // (31 when the desktop has no handler and no usable BROWSER command, 2 when that command
    // cannot be started).
    static int OpenAddress(const QString& address);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void Click();
    void EndHover();
    void ReportError(int code);
    void ApplyColour();

    QColor linkColour{0, 0, 238};
    QColor visitedColour{85, 26, 139};
    QColor hoverColour{255, 0, 0};
    bool over = false;
    bool visited = false;
    int underlineMode = -1;
    bool adjustToFit = true;
    QString address;
    QFont normalFont;
    QFont underlinedFont;
    QBasicTimer hoverTimer;
    Opener opener;
    Prompts* prompts = nullptr;
};
