#pragma once
#include "common/Progress.h"

// A progress display that shows nothing and never cancels, for headless timing runs.
class SilentProgress : public Progress {
public:
    bool Open(const std::string&, bool) override { return true; }
    void SetRange(int, int, int) override {}
    int SetPosition(int) override { return 0; }
    void SetText(const std::string&) override {}
    bool Pump(bool) override { return false; }
    bool Cancelled() const override { return false; }
    void Hide() override {}
    void Close() override {}
};
