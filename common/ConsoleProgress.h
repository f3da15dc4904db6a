#pragma once
#include "common/Progress.h"

#include <iosfwd>
#include <string>

// Progress on the command line: one "[ NN%] status text" line on standard error per change
// seen at a pump. Ctrl-C acts as the Cancel button: it is noted by the handler of
// platform/ConsoleInterrupt.h, installed by Open, and seen at the next Pump. Only one
// ConsoleProgress should be open at a time, since the signal is process-wide. Nothing here fails;
// Open always yields true.
class ConsoleProgress : public Progress {
public:
    explicit ConsoleProgress(std::ostream& out);
    ConsoleProgress(); // writes to std::cerr
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    // Installs the Ctrl-C handler (the previous one comes back at Close).
    bool Open(const std::string& title, bool smooth) override;
    void SetRange(int lower, int upper, int step) override;
    int SetPosition(int position) override;
    // Keeps at most 511 bytes, as the window does.
    void SetText(const std::string& text) override;
    // Writes a line when the percentage or the text changed since the last line.
    bool Pump(bool cancelOnEscape) override;
    bool Cancelled() const override { return cancelled; }
    void Hide() override {}
    void Close() override;

    // The percentage for a position: halves round up, positions outside the range are not
    // clamped; 0 when the range is empty. Never overflows.
    static int PercentOf(int position, int lower, int upper);
    // "[ NN%] text" without the line end.
    static std::string FormatLine(int percent, const std::string& text);

private:
    std::ostream& out;
    bool open = false;
    bool cancelled = false;
    int lower = 0, upper = 100;
    int position = 0;
    std::string text;
    bool anyLine = false;
    int lastPercent = 0;
    std::string lastText;
};
