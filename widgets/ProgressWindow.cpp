#include "widgets/ProgressWindow.h"

#include "common/ConsoleProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QWindow>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr int margin = 10;
constexpr int defaultWidth = 390;
// The classic three-dimensional edge is two pixels wide and high.
constexpr int edge = 2;
constexpr std::size_t maxTextBytes = 511;
const char* const settingsX = "Settings/X";
const char* const settingsY = "Settings/Y";

// A segmented bar in the style of the classic progress control.
const char* const segmentedStyle =
    "QProgressBar { border: 1px solid palette(mid); background: palette(base); }"
    "QProgressBar::chunk { background: palette(highlight); width: 8px; margin: 1px; }";

} // namespace

ProgressWindow::ProgressWindow(QWidget* ownerWidget) : owner(ownerWidget) {}

ProgressWindow::ProgressWindow(QWidget* ownerWidget, const QString& newTitle, bool smooth)
    : owner(ownerWidget), title(newTitle) {
    Create(ownerWidget, newTitle, smooth);
}

ProgressWindow::~ProgressWindow() {
    Destroy();
}

bool ProgressWindow::Create(QWidget* ownerWidget, const QString& newTitle, bool smooth) {
    if (created)
        return true;
    if (!CanCreateWindow())
        return false;
    owner = ownerWidget ? ownerWidget : MainWindow(this);
    title = newTitle;
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setCursor(Qt::BusyCursor);
    setFont(QApplication::font("QMessageBox"));
    setWindowTitle(title);
    if (owner && !owner->window()->windowIcon().isNull())
        setWindowIcon(owner->window()->windowIcon()); // the program's icon, as its owner has
    if (!textArea) {
        textArea = new QLabel(this);
        textArea->setTextFormat(Qt::PlainText);
        textArea->setWordWrap(false);
        textArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        bar = new QProgressBar(this);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        cancelButton = new QPushButton(cancelLabel, this);
        cancelButton->setFocusPolicy(Qt::NoFocus);
        connect(cancelButton, &QPushButton::clicked, this, &ProgressWindow::Cancel);
    }
    bar->setStyleSheet(smooth ? QString() : QString::fromLatin1(segmentedStyle));
    LayOut(textLines, defaultWidth);
    winId();
    if (owner && owner->window()->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    PlaceWindow();
    created = true;
    show();
    return true;
}

bool ProgressWindow::GoModal(const QString& newTitle, bool smooth) {
    if (!created && !Create(owner, newTitle, smooth))
        return false;
    if (modal)
        return true; // a second call must not forget the window it disabled
    QWidget* highest = nullptr;
    for (QWidget* next = owner; next && next->isEnabled(); next = next->parentWidget())
        highest = next;
    if (highest) {
        highest->setEnabled(false);
        disabledAncestor = highest;
    }
    setEnabled(true);
    modal = true;
    return true;
}

void ProgressWindow::Destroy() {
    if (created && persistentPosition)
        SavePosition();
    if (modal) {
        modal = false;
        if (disabledAncestor)
            disabledAncestor->setEnabled(true);
        disabledAncestor = nullptr;
    }
    if (created) {
        hide();
        created = false;
    }
}

bool ProgressWindow::Open(const std::string& newTitle, bool smooth) {
    return GoModal(QString::fromStdString(newTitle), smooth);
}

void ProgressWindow::SetRange(int newLower, int newUpper, int newStep) {
    if (!created)
        return;
    int shown = bar->value();
    bar->setRange(newLower, newUpper);
    // The classic control keeps its position inside the new range instead of resetting.
    bar->setValue(std::clamp(shown, bar->minimum(), bar->maximum()));
    lower = newLower;
    upper = newUpper;
    step = newStep;
}

int ProgressWindow::SetPosition(int newPosition) {
    if (!created)
        return position;
    // A cancelled window stays hidden: the work may report once more before it stops.
    if (isHidden() && !cancelled)
        ShowQuietly();
    position = newPosition;
    int newPercent = PercentOf(position, lower, upper);
    if (newPercent != percent) {
        percent = newPercent;
        // One pass, so that a "%1" inside the title stays text.
        setWindowTitle(QStringLiteral("%1 [%2%]").arg(title, QString::number(percent)));
    }
    int previous = bar->value();
    bar->setValue(std::clamp(newPosition, bar->minimum(), bar->maximum()));
    return previous;
}

void ProgressWindow::SetText(const std::string& text) {
    if (!created)
        return;
    std::string kept = text.substr(0, maxTextBytes);
    textArea->setText(QString::fromUtf8(kept.data(), static_cast<qsizetype>(kept.size())));
}

void ProgressWindow::SetText(const char* format, ...) {
    if (!created)
        return;
    char buffer[maxTextBytes + 1];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    SetText(std::string(buffer));
}

bool ProgressWindow::Pump(bool cancelOnEscape) {
    if (modal && created && isVisible() && !isActiveWindow()) {
        activateWindow();
        setFocus();
    }
    if (cancelled)
        return true;
    pumping = true;
    pumpCancelsOnEscape = cancelOnEscape;
    qApp->installEventFilter(this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(this);
    pumping = false;
    return cancelled;
}

void ProgressWindow::Hide() {
    hide();
}

int ProgressWindow::PercentOf(int position, int lower, int upper) {
    return ConsoleProgress::PercentOf(position, lower, upper);
}

bool ProgressWindow::CanCreateWindow() const {
    return QGuiApplication::primaryScreen() != nullptr;
}

bool ProgressWindow::eventFilter(QObject* watched, QEvent* event) {
    if (pumping && !cancelled) {
        bool escape = event->type() == QEvent::KeyPress &&
                      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if ((escape && pumpCancelsOnEscape) || IsCancelClick(event))
            Cancel();
    }
    return QWidget::eventFilter(watched, event);
}

bool ProgressWindow::IsCancelClick(QEvent* event) const {
    if (!modal || event->type() != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !cancelButton->isVisible())
        return false;
    QRect buttonOnScreen(cancelButton->mapToGlobal(QPoint(0, 0)), cancelButton->size());
    return buttonOnScreen.contains(mouse->globalPosition().toPoint());
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (closeRequested) {
        // Our own close request after a cancel: the window is gone for good.
        closeRequested = false;
        created = false;
        event->accept();
        return;
    }
    // Closed from the window manager while the work runs: treat it as Cancel, otherwise the
    // window would vanish and the work could no longer be stopped.
    event->ignore();
    if (!cancelled)
        Cancel();
}

void ProgressWindow::Cancel() {
    if (cancelled)
        return;
    if (persistentPosition && created)
        SavePosition();
    cancelled = true;
    hide();
    if (modal) {
        closeRequested = true;
        QCoreApplication::postEvent(this, new QCloseEvent);
    }
    if (QWidget* main = MainWindow(this)) {
        main->raise();
        main->activateWindow();
    }
}

void ProgressWindow::LayOut(int lines, int width) {
    QFontMetrics metrics(font());
    QString sample = QStringLiteral("M");
    for (int line = 1; line < lines; ++line)
        sample += QStringLiteral("\nM");
    QRect fallback(margin, margin, width - 2 * margin - margin, 120 - margin);
    int textHeight = metrics.boundingRect(fallback, Qt::AlignLeft | Qt::AlignTop, sample).height();
    QRect text(margin, margin, width, textHeight);

    QSize label = metrics.size(Qt::TextSingleLine, cancelLabel + QStringLiteral("  "));
    QSize buttonSize(label.width() + 4 * edge, label.height() + 3 * edge);
    QRect button(QPoint(text.right() + 1 - buttonSize.width(), text.bottom() + 1 + margin),
                 buttonSize);
    QRect barRect(QPoint(text.left(), button.top() + edge),
                  QPoint(button.left() - margin - 1, button.bottom() - edge));

    setFixedSize(margin + text.width() + margin,
                 margin + text.height() + margin + button.height() + margin);
    textArea->setGeometry(text);
    cancelButton->setGeometry(button);
    bar->setGeometry(barRect);
}

void ProgressWindow::PlaceWindow() {
    if (!persistentPosition || !RestorePosition())
        CentreOnOwner();
}

bool ProgressWindow::RestorePosition() {
    QSettings settings;
    QPoint saved(settings.value(settingsX, -1).toInt(), settings.value(settingsY, -1).toInt());
    // Only a place on a screen that is present now; one saved on a larger or a since
    // removed screen would leave the window out of reach.
    if (saved.x() < 0 || saved.y() < 0 || !QGuiApplication::screenAt(saved))
        return false;
    move(saved);
    return true;
}

void ProgressWindow::SavePosition() {
    QSettings settings;
    settings.setValue(settingsX, pos().x());
    settings.setValue(settingsY, pos().y());
}

void ProgressWindow::CentreOnOwner() {
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    QScreen* screen = ownerWindow ? ownerWindow->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    QRect around = ownerWindow && ownerWindow->isVisible() ? ownerWindow->frameGeometry() : area;
    QPoint topLeft = around.center() - QPoint(width() / 2, height() / 2);
    // Keep the whole window on the screen, as the classic centring does.
    topLeft.setX(
        std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    topLeft.setY(
        std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    move(topLeft);
}

void ProgressWindow::ShowQuietly() {
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    repaint();
}

QWidget* ProgressWindow::MainWindow(const QWidget* except) {
    auto suitable = [except](QWidget* window) {
        return window && window != except && window->isVisible() &&
               !qobject_cast<ProgressWindow*>(window) &&
               (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog);
    };
    if (QWidget* active = QApplication::activeWindow(); suitable(active))
        return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (suitable(window))
            return window;
    return nullptr;
}
