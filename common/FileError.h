#pragma once
#include <stdexcept>
#include <string>

// A read or write that failed after the file was opened successfully. Thrown by the file
// layer and not caught by commands: the window reports it in a generic error box.
class FileError : public std::runtime_error {
public:
    FileError(std::string fileName, std::string operation);

    const std::string& fileName() const { return fileName_; }
    const std::string& operation() const { return operation_; }

private:
    std::string fileName_;
    std::string operation_;
};
