#pragma once
// Helpers of the Windows implementations only: UTF-8 inside, UTF-16 at every system call,
// and the system's errors turned into errno values, which the layer reports on both systems.
#include <windows.h>

#include <string>

// The UTF-16 form of a UTF-8 path or text (MultiByteToWideChar, CP_UTF8). Forward slashes
// stay: every call used here accepts them.
std::wstring Wide(const std::string& utf8);

// The UTF-8 form of UTF-16 text (WideCharToMultiByte, CP_UTF8).
std::string Utf8(const std::wstring& wide);

// The errno value nearest to a system error: a sharing or lock violation (the file is held
// open by another program) is EBUSY, a missing file or folder ENOENT, a taken name EEXIST,
// a full disk ENOSPC, a refusal EACCES, anything else EIO.
int ErrnoOf(DWORD error);

// Sets errno from GetLastError(); returns false, for `return Failed();`.
bool Failed();

// Sets errno from GetLastError() and returns the given failure value.
template <typename T> T Failing(T value) {
    Failed();
    return value;
}

// A handle of ours as a C library descriptor (_open_osfhandle), or -1 with the handle closed.
int DescriptorOf(HANDLE handle, int flags);

// The handle behind a descriptor (_get_osfhandle).
HANDLE HandleOf(int descriptor);
