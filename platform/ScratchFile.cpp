#include "platform/ScratchFile.h"

#include "platform/FileSteps.h"

// The part both systems share.
bool ScratchFile::Append(const char* data, std::size_t size) {
    const FileResult written = WriteFully(descriptor_, data, size);
    if (written)
        return true;
    SystemError error = written.Error();
    error.path = folder_;
    return Fail(error);
}

bool ScratchFile::Fail(SystemError error) const {
    error_ = std::move(error);
    return false;
}
