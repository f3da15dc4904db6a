#include "common/FileError.h"

FileError::FileError(std::string fileName, std::string operation)
    : std::runtime_error("A file error occurred while " + operation + " \"" + fileName + "\"."),
      fileName_(std::move(fileName)), operation_(std::move(operation)) {}
