#pragma once
#include <windows.h>

#include <string>

// A path as Windows' wide calls take it.
inline std::wstring WidePath(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
        static_cast<int>(wide.size()))));
    return wide;
}

// Holds a file open as the running game does: others may read it, nobody may delete or
// replace it (no FILE_SHARE_DELETE).
class HeldByGame {
public:
    explicit HeldByGame(const std::string& path)
        : handle_(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr)) {}
    ~HeldByGame() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HeldByGame(const HeldByGame&) = delete;
    HeldByGame& operator=(const HeldByGame&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};
