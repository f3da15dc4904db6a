#include "platform/InputFile.h"

#include "platform/FaultInjection.h"
#include "platform/HeldFileRetry.h"

// The part both systems share: the fault seam and the retry around each system's open.
bool InputFile::Open(const std::string& path, Links links) {
    Close();
    const FileResult opened = RetryWhileHeld([&]() -> FileResult {
        if (auto fault = FaultInjection::Fault(FileStep::Open, "open", path))
            return *fault;
        if (OpenOnce(path, links))
            return {};
        return error_;
    });
    if (!opened)
        error_ = opened.Error();
    else
        path_ = path;
    return static_cast<bool>(opened);
}
