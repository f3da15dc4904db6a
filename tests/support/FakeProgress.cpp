#include "tests/support/FakeProgress.h"

bool FakeProgress::Open(const std::string& newTitle, bool) {
    if (openFails)
        return false;
    opened = true;
    title = newTitle;
    events.push_back("open");
    return true;
}

void FakeProgress::SetRange(int newLower, int newUpper, int newStep) {
    lower = newLower;
    upper = newUpper;
    step = newStep;
}

int FakeProgress::SetPosition(int newPosition) {
    int previous = position;
    position = newPosition;
    return previous;
}

void FakeProgress::SetText(const std::string& newText) {
    text = newText;
}

bool FakeProgress::Pump(bool) {
    steps.push_back({position, text});
    percents.push_back(Percent());
    if (!cancelled && cancelWhen && cancelWhen(steps))
        cancelled = true;
    return cancelled;
}

void FakeProgress::Close() {
    ++closeCount;
    events.push_back("close");
}

int FakeProgress::Percent() const {
    if (upper <= lower)
        return 0;
    return static_cast<int>((position - lower) * 100.0 / (upper - lower) + 0.5);
}
