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

// What other programs share of a file they hold open.
inline constexpr DWORD kSharedAsTheGame = FILE_SHARE_READ; // reading only: no deletion
// An antivirus, a search indexer or a media player: everything, deletion too.
inline constexpr DWORD kSharedAsAScanner = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
inline constexpr DWORD kSharedWithNobody = 0;

// Holds a file open as the running game does (others may read it, nobody may delete or replace
// it), or sharing what another program would.
class HeldByGame {
public:
    explicit HeldByGame(const std::string& path, DWORD share = kSharedAsTheGame)
        : handle_(CreateFileW(WidePath(path).c_str(), GENERIC_READ, share, nullptr,
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
