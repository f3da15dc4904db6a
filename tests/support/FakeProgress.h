#pragma once
#include "common/Progress.h"

#include <functional>
#include <string>
#include <vector>

// Records what a pipeline reports and cancels when a scripted condition holds at a pump.
class FakeProgress : public Progress {
public:
    struct Step {
        int position;
        std::string text;
    };

    bool Open(const std::string& title, bool smooth) override;
    void SetRange(int lower, int upper, int step) override;
    int SetPosition(int position) override;
    void SetText(const std::string& text) override;
    bool Pump(bool cancelOnEscape) override;
    bool Cancelled() const override { return cancelled; }
    void Hide() override {
        hidden = true;
        events.push_back("hide");
    }
    void Close() override;

    // The percentage a window would show for the current position (halves rounded up).
    int Percent() const;

    // Called at every pump with the steps so far; returning true cancels.
    std::function<bool(const std::vector<Step>&)> cancelWhen;

    bool openFails = false;
    bool opened = false;
    bool hidden = false;
    int closeCount = 0;
    bool cancelled = false;
    std::string title;
    int lower = 0, upper = 100, step = 1;
    int position = 0;
    std::string text;
    std::vector<Step> steps;         // one entry per pump: position and text at that moment
    std::vector<int> percents;       // percentage at every pump
    std::vector<std::string> events; // "open", "hide", "close" in the order they happened
};
