#include "widgets/HyperlinkLabel.h"

#include "common/Prompts.h"
#include "widgets/HyperlinkOpening.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimerEvent>
#include <QUrl>

namespace {

constexpr int hoverCheckMilliseconds = 100;
constexpr int openedCode = 33;
constexpr int noAssociationCode = 31;
constexpr int fileNotFoundCode = 2;

// Starts the BROWSER command for the address; nothing when there is no usable command.
std::optional<int> OpenWithBrowserVariable(const QString& address) {
    QByteArray command = qgetenv("BROWSER");
    if (command.isEmpty())
        return std::nullopt;
    auto line = BrowserCommandLine(command.toStdString(), address.toStdString());
    if (!line)
        return std::nullopt;
    QStringList words = QProcess::splitCommand(QString::fromStdString(*line));
    if (words.isEmpty())
        return std::nullopt;
    QString program = words.takeFirst();
    return QProcess::startDetached(program, words) ? openedCode : fileNotFoundCode;
}

} // namespace

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    setAutoFillBackground(true);
    // Button face behind the text; the text role must be named, or it follows the background.
    setBackgroundRole(QPalette::Button);
    setForegroundRole(QPalette::WindowText);
    normalFont = font();
    underlinedFont = font();
    underlinedFont.setUnderline(true);
    ApplyColour();
}

HyperlinkLabel::HyperlinkLabel(const QString& text, const QRect& geometry, QWidget* parent)
    : HyperlinkLabel(parent) {
    setText(text);
    setGeometry(geometry);
    Attach();
}

void HyperlinkLabel::Attach() {
    if (address.isEmpty())
        address = text();
    if (text().isEmpty())
        setText(address);
    normalFont = font();
    normalFont.setUnderline(false);
    underlinedFont = normalFont;
    underlinedFont.setUnderline(true);
    FitToText();
    setCursor(Qt::PointingHandCursor);
    SetUnderlineMode(-1);
    setToolTip(address);
}

void HyperlinkLabel::FitToText() {
    if (!adjustToFit)
        return;
    QSize textSize = QFontMetrics(underlinedFont).size(0, text());
    QRect box = geometry();
    int frameWidth = width() - contentsRect().width() + 2 * margin();
    int frameHeight = height() - contentsRect().height() + 2 * margin();
    int heightChange = textSize.height() + frameHeight - box.height();
    int widthChange = textSize.width() + frameWidth - box.width();

    if (alignment() & Qt::AlignVCenter) {
        box.setTop(box.top() - heightChange / 2);
        box.setBottom(box.bottom() + heightChange / 2);
    } else {
        box.setHeight(box.height() + heightChange);
    }
    if (alignment() & Qt::AlignHCenter) {
        box.setLeft(box.left() - widthChange / 2);
        box.setRight(box.right() + widthChange / 2);
    } else if (alignment() & Qt::AlignRight) {
        box.setLeft(box.left() - widthChange);
    } else {
        box.setWidth(box.width() + widthChange);
    }
    setGeometry(box);
}

void HyperlinkLabel::SetAddress(const QString& newAddress) {
    address = newAddress;
    setToolTip(address);
}

void HyperlinkLabel::SetVisited(bool newVisited) {
    visited = newVisited;
    ApplyColour();
}

void HyperlinkLabel::SetUnderlineMode(int mode) {
    if (mode != underlineMode) {
        setFont(mode == 1 ? underlinedFont : normalFont);
        update();
    }
    underlineMode = mode;
}

void HyperlinkLabel::SetColours(const QColor& link, const QColor& visitedLink,
                                const QColor& hover) {
    linkColour = link;
    visitedColour = visitedLink;
    hoverColour = hover;
    ApplyColour();
}

QColor HyperlinkLabel::CurrentColour() const {
    if (over)
        return hoverColour;
    return visited ? visitedColour : linkColour;
}

void HyperlinkLabel::SetOpener(Opener newOpener) {
    opener = std::move(newOpener);
}

void HyperlinkLabel::SetPrompts(Prompts* newPrompts) {
    prompts = newPrompts;
}

int HyperlinkLabel::OpenAddress(const QString& address) {
    if (QDesktopServices::openUrl(QUrl::fromUserInput(address)))
        return openedCode;
    return OpenWithBrowserVariable(address).value_or(noAssociationCode);
}

void HyperlinkLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!over) {
        over = true;
        if (underlineMode == -1)
            setFont(underlinedFont);
        ApplyColour();
        hoverTimer.start(hoverCheckMilliseconds, this);
    }
    QLabel::mouseMoveEvent(event);
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
    QLabel::mouseReleaseEvent(event);
}

// Where the pointer position cannot be asked for outside our windows, the leave event is
// the only sign that the pointer has gone.
void HyperlinkLabel::leaveEvent(QEvent* event) {
    if (over || hoverTimer.isActive())
        EndHover();
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Click();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void HyperlinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    // Some styles draw the frame only after the keyboard moved the focus; a link takes the
    // focus only from the keyboard (or a program), so it always shows.
    frame.state |= QStyle::State_KeyboardFocusChange;
    frame.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

void HyperlinkLabel::timerEvent(QTimerEvent* event) {
    if (event->timerId() != hoverTimer.timerId()) {
        QLabel::timerEvent(event);
        return;
    }
    if (!rect().contains(mapFromGlobal(QCursor::pos())))
        EndHover();
}

void HyperlinkLabel::Click() {
    over = false;
    int code = opener ? opener(address) : OpenAddress(address);
    // Visited only ever turns on; a later failed open does not make the link look new.
    if (code > 32) {
        SetVisited(true);
    } else {
        ApplyColour();
        QApplication::beep();
        ReportError(code);
    }
}

void HyperlinkLabel::EndHover() {
    over = false;
    hoverTimer.stop();
    if (underlineMode != 1)
        setFont(normalFont);
    ApplyColour();
}

void HyperlinkLabel::ReportError(int code) {
    std::string message = HyperlinkErrorMessage(code);
    if (prompts) {
        prompts->Message(message);
        return;
    }
    QMessageBox::warning(window(), QApplication::applicationDisplayName(),
                         QString::fromStdString(message));
}

void HyperlinkLabel::ApplyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CurrentColour());
    setPalette(colours);
    update();
}
