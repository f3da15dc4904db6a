#include "platform/HeldFileRetry.h"

#include "platform/FaultInjection.h"

#include <algorithm>

FileResult RetryWhileHeld(const std::function<FileResult()>& attempt) {
    FileResult result = attempt();
    std::chrono::milliseconds waited{0};
    for (auto pause = kFirstHeldFilePause;
         !result && result.Error().MayClear() && waited < kHeldFileBudget; pause *= 2) {
        const auto step = std::min(pause, kHeldFileBudget - waited);
        FaultInjection::Pause(step);
        waited += step;
        result = attempt();
    }
    return result;
}
