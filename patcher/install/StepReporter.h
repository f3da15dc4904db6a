#pragma once
#include <string>

// Where a patch job reports its steps (the window's ReportStep). Returns the cancelled flag:
// true when the user asked to cancel, and also when there is no progress display to report
// to.
class StepReporter {
public:
    virtual ~StepReporter() = default;
    virtual bool ReportStep(const std::string& text, int position) = 0;
};
