#include "platform/windows/WindowsText.h"

#include <io.h>

namespace {

// Where CreateDirectoryW stops: MAX_PATH less room for an 8.3 name.
constexpr std::size_t kLongPathFrom = MAX_PATH - 12;

bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

} // namespace

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

std::wstring WidePath(const std::string& utf8) {
    std::wstring wide = Wide(utf8);
    const bool prefixed = wide.size() >= 4 && IsSeparator(wide[0]) && IsSeparator(wide[1]) &&
                          (wide[2] == L'?' || wide[2] == L'.') && IsSeparator(wide[3]);
    if (wide.size() < kLongPathFrom || prefixed)
        return wide;
    // The full path resolves ".", ".." and "/" as the short form would; \\?\ takes it literally.
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return wide;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return wide;
    full.resize(length);
    if (full.size() > 2 && full[0] == L'\\' && full[1] == L'\\')
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() > 2 && full[1] == L':')
        return L"\\\\?\\" + full;
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

int DescriptorOf(HANDLE handle, int flags) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0) {
        CloseHandle(handle);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return descriptor;
}

HANDLE HandleOf(int descriptor) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}
