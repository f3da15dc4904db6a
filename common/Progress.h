#pragma once
#include <string>

// The progress display of a long operation: a modal window with a Cancel button, a console
// reporter, or the tests' double. Cancelling is seen only when the work calls Pump.
class Progress {
public:
    virtual ~Progress() = default;

    // Shows the display and makes it modal over its owner. False when it cannot be shown;
    // the setters then do nothing.
    virtual bool Open(const std::string& title, bool smooth) = 0;
    virtual void SetRange(int lower, int upper, int step) = 0;
    // Moves to a position; yields the previous position.
    virtual int SetPosition(int position) = 0;
    virtual void SetText(const std::string& text) = 0;
    // Processes pending input (Cancel button, Escape when asked); yields the cancelled flag.
    virtual bool Pump(bool cancelOnEscape) = 0;
    virtual bool Cancelled() const = 0;
    virtual void Hide() = 0;
    // Destroys the display and gives the owner back its input. Safe to call twice.
    virtual void Close() = 0;
};
