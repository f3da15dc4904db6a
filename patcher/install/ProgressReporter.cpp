#include "patcher/install/ProgressReporter.h"

bool ProgressReporter::ReportStep(const std::string& text, int position) {
    if (!progress_)
        return true;
    progress_->SetPosition(position);
    progress_->SetText(text);
    return progress_->Pump(true);
}
