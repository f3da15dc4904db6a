#pragma once
#include <string>
#include <utility>

// How an extraction ended: success, or the line it reported on standard error when it
// stopped ("unpack: refused entry name \"velk/AUX\": ...", "unpack:fopen(output): CreateFileW
// on ...: access denied (5)"), kept for a user who asks for the details. Tests as a bool.
class UnpackResult {
public:
    UnpackResult() = default; // success
    static UnpackResult Failed(std::string cause) {
        UnpackResult result;
        result.failed_ = true;
        result.cause_ = std::move(cause);
        return result;
    }

    explicit operator bool() const { return !failed_; }
    // The report's line without its line end; "" on success.
    const std::string& Cause() const { return cause_; }

private:
    bool failed_ = false;
    std::string cause_;
};
