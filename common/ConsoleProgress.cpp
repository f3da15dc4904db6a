#include "common/ConsoleProgress.h"

#include "platform/ConsoleInterrupt.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <limits>
#include <utility>

namespace {

constexpr std::size_t maxTextBytes = 511;

} // namespace

ConsoleProgress::ConsoleProgress(std::ostream& stream) : out(stream) {}

ConsoleProgress::ConsoleProgress() : ConsoleProgress(std::cerr) {}

ConsoleProgress::~ConsoleProgress() {
    Close();
}

bool ConsoleProgress::Open(const std::string&, bool) {
    if (!open)
        StartNotingInterrupts();
    open = true;
    return true;
}

void ConsoleProgress::SetRange(int newLower, int newUpper, int) {
    lower = newLower;
    upper = newUpper;
}

int ConsoleProgress::SetPosition(int newPosition) {
    return std::exchange(position, newPosition);
}

void ConsoleProgress::SetText(const std::string& newText) {
    text = newText.substr(0, maxTextBytes);
}

bool ConsoleProgress::Pump(bool) {
    if (cancelled)
        return true;
    if (open && InterruptNoted()) {
        cancelled = true;
        return true;
    }
    int percent = PercentOf(position, lower, upper);
    if (!anyLine || percent != lastPercent || text != lastText) {
        out << FormatLine(percent, text) << '\n' << std::flush;
        anyLine = true;
        lastPercent = percent;
        lastText = text;
    }
    return false;
}

void ConsoleProgress::Close() {
    if (!open)
        return;
    StopNotingInterrupts();
    open = false;
}

int ConsoleProgress::PercentOf(int position, int lower, int upper) {
    if (upper <= lower)
        return 0;
    double exact =
        (static_cast<double>(position) - lower) * 100.0 / (static_cast<double>(upper) - lower);
    // A position far outside the range must not overflow the conversion.
    double limited = std::clamp(exact + 0.5, static_cast<double>(std::numeric_limits<int>::min()),
                                static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(limited);
}

std::string ConsoleProgress::FormatLine(int percent, const std::string& text) {
    char head[24];
    std::snprintf(head, sizeof head, "[%3d%%] ", percent);
    return head + text;
}
