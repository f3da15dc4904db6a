#pragma once
#include "common/Progress.h"
#include "patcher/install/StepReporter.h"

// Reports steps to an open progress display: position, status text, then a pump that lets
// the Cancel button and the Escape key act. Without a display (none given, or detached) every
// report answers "cancelled".
class ProgressReporter : public StepReporter {
public:
    explicit ProgressReporter(Progress* openProgress) : progress_(openProgress) {}

    bool ReportStep(const std::string& text, int position) override;
    void Detach() { progress_ = nullptr; }

private:
    Progress* progress_;
};
