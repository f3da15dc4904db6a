#pragma once
#include "common/Progress.h"

// Closes a progress display when a pipeline ends, however it ends (exceptions included), so
// the owner window always gets its input back.
class ProgressCloser {
public:
    explicit ProgressCloser(Progress& progress) : progress_(progress) {}
    ~ProgressCloser() { progress_.Close(); }
    ProgressCloser(const ProgressCloser&) = delete;
    ProgressCloser& operator=(const ProgressCloser&) = delete;

private:
    Progress& progress_;
};
