#pragma once
#include "common/Progress.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;

// A small always-on-top window with a text area, a progress bar and a Cancel button; the
// caption carries the percentage done, and the icon is its owner's. While modal it disables
// its owner chain; the work calls Pump between steps so the window can react to Cancel and
// Escape.
//
// The window is not a Qt child of its owner: keep the object on the stack of the handler
// (or own it yourself). Destroying the object destroys the window and enables the owner
// again, also when the work ends early.
//
// Failure: Create / GoModal / Open yield false when the window cannot be created; the
// setters then do nothing and SetPosition yields the stored position.
class ProgressWindow : public QWidget, public Progress {
    Q_OBJECT

public:
    // No window yet: GoModal or Open creates it with the given title and bar style.
    explicit ProgressWindow(QWidget* owner = nullptr);
    // Creates and shows the window at once (see Create).
    ProgressWindow(QWidget* owner, const QString& title, bool smooth);
    ~ProgressWindow() override;

    // Creates and shows the window; no owner means the application's main window.
    bool Create(QWidget* owner, const QString& title, bool smooth);
    // Creates the window if needed (owned by the constructor's owner, else the main window),
    // disables the highest enabled window of the owner chain and becomes modal.
    bool GoModal(const QString& title = QStringLiteral("Progress"), bool smooth = false);
    void Destroy();
    bool WindowExists() const { return created; }

    // Progress interface: Open is GoModal, Close is Destroy.
    bool Open(const std::string& title, bool smooth) override;
    void SetRange(int lower, int upper, int step) override;
    int SetPosition(int position) override;
    void SetText(const std::string& text) override;
    // printf-style; the formatted text is cut at 511 bytes.
    void SetText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool Pump(bool cancelOnEscape) override;
    bool Cancelled() const override { return cancelled; }
    void Hide() override;
    void Close() override { Destroy(); }

    void SetPersistentPosition(bool on) { persistentPosition = on; }
    int Percent() const { return percent; }
    QString Title() const { return title; }
    QPushButton* CancelButton() const { return cancelButton; }
    QProgressBar* Bar() const { return bar; }
    QLabel* TextArea() const { return textArea; }

    // The percentage shown for a position: halves round up, no clamping, 0 for an empty range.
    static int PercentOf(int position, int lower, int upper);

protected:
    // Whether a window can be made at all (a screen to show it on).
    virtual bool CanCreateWindow() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Cancel();
    void LayOut(int lines, int width);
    void PlaceWindow();
    bool RestorePosition();
    void SavePosition();
    void CentreOnOwner();
    void ShowQuietly();
    bool IsCancelClick(QEvent* event) const;
    static QWidget* MainWindow(const QWidget* except);

    QPointer<QWidget> owner;
    QPointer<QWidget> disabledAncestor;
    QLabel* textArea = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* cancelButton = nullptr;
    bool created = false;
    bool cancelled = false;
    bool modal = false;
    bool persistentPosition = true;
    bool pumping = false;
    bool pumpCancelsOnEscape = false;
    bool closeRequested = false;
    int position = 0;
    int percent = 0;
    int step = 1;
    int upper = 100;
    int lower = 0;
    int textLines = 4;
    QString title = QStringLiteral("Progress");
    QString cancelLabel = QStringLiteral(" Cancel ");
};
