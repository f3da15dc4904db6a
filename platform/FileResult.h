#pragma once
#include "platform/SystemError.h"

#include <utility>

// What a platform call that can fail returns: success, or the SystemError that stopped it.
// It tests as a bool (`if (!RemoveFile(path))`), and the cause stays with it for as long as
// the caller keeps it (`.Error()`, `.Kind()`), whatever calls come after.
class FileResult {
public:
    FileResult() = default; // success
    FileResult(SystemError error) : failed_(true), error_(std::move(error)) {}

    explicit operator bool() const { return !failed_; }
    const SystemError& Error() const { return error_; }
    FileFailure Kind() const { return failed_ ? error_.Kind() : FileFailure::None; }

private:
    bool failed_ = false;
    SystemError error_;
};
