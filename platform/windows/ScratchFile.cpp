#include "platform/ScratchFile.h"

#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/windows/WindowsText.h"

#include <fcntl.h>
#include <io.h>
#include <random>

ScratchFile::~ScratchFile() {
    if (descriptor_ >= 0)
        _close(descriptor_);
}

bool ScratchFile::Create(const std::string& folder) {
    folder_ = folder;
    // The system deletes the file when its last handle closes, however the process ends.
    std::random_device random;
    std::string name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = JoinPath(folder, ".kp-scratch-" + std::to_string(random()));
        HANDLE handle = CreateFileW(WidePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                                        FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            descriptor_ = DescriptorOf(handle, _O_RDWR | _O_BINARY);
            return descriptor_ >= 0 || Fail(LastError("_open_osfhandle", name));
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return Fail(LastError("CreateFileW", name));
    }
    return Fail({"CreateFileW", name, ERROR_FILE_EXISTS});
}

bool ScratchFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    HANDLE handle = HandleOf(descriptor_);
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD piece = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        if (!ReadFile(handle, data, piece, &got, &at))
            return Fail(LastError("ReadFile", folder_));
        if (got == 0)
            return Fail({"ReadFile", folder_, ERROR_HANDLE_EOF});
        data += got;
        size -= got;
        offset += got;
    }
    return true;
}
