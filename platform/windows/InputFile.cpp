#include "platform/InputFile.h"

#include "platform/windows/WindowsText.h"

#include <algorithm>

namespace {

HANDLE AsHandle(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

} // namespace

InputFile::~InputFile() {
    Close();
}

bool InputFile::OpenOnce(const std::string& path, Links links) {
    if (path.empty()) {
        error_ = {"CreateFileW", path, ERROR_FILE_NOT_FOUND};
        return false;
    }
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL | (links == Links::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    // Shared with every other reader and writer, so the game or another program keeps its
    // access while we read. A folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS.
    HANDLE handle = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error_ = LastError("CreateFileW", path);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool regular =
        GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    if (!regular) {
        CloseHandle(handle);
        error_ = {"CreateFileW", path, ERROR_INVALID_PARAMETER};
        return false;
    }
    native_ = reinterpret_cast<std::intptr_t>(handle);
    size_ = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    return true;
}

std::int64_t InputFile::Read(void* data, std::size_t size) {
    DWORD got = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(AsHandle(native_), data, piece, &got, nullptr)) {
        error_ = LastError("ReadFile", path_);
        return -1;
    }
    return got;
}

std::int64_t InputFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(AsHandle(native_), data, piece, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        error_ = LastError("ReadFile", path_);
        return -1;
    }
    return got;
}

void InputFile::Close() {
    if (native_ != -1)
        CloseHandle(AsHandle(native_));
    native_ = -1;
    size_ = 0;
    path_.clear();
}
