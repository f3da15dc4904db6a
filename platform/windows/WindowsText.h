#pragma once
// Helpers of the Windows implementations only: UTF-8 inside, UTF-16 at every system call.
#include "platform/SystemError.h"

#include <windows.h>

#include <string>

// The UTF-16 form of UTF-8 text (MultiByteToWideChar, CP_UTF8).
std::wstring Wide(const std::string& utf8);

// The UTF-16 form of a path for a system call. Forward slashes stay (every call used here takes
// them), except in a path of 248 characters or more (where CreateDirectoryW and most calls
// stop): that one goes as its full path in the \\?\ form (\\?\UNC\ for a network path), which
// reaches 32767 characters.
std::wstring WidePath(const std::string& utf8);

// The UTF-8 form of UTF-16 text (WideCharToMultiByte, CP_UTF8).
std::string Utf8(const std::wstring& wide);

// A handle of ours as a C library descriptor (_open_osfhandle), or -1 with the handle closed.
int DescriptorOf(HANDLE handle, int flags);

// The handle behind a descriptor (_get_osfhandle).
HANDLE HandleOf(int descriptor);

// The error a failed call of the system left, for `return LastError("MoveFileExW", path);`.
inline SystemError LastError(const char* call, const std::string& path) {
    return SystemError::Last(call, path);
}
