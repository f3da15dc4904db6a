#pragma once
#include <filesystem>
#include <string>

// Paths are UTF-8 inside the programs. A library that opens a file by name itself (TagLib)
// gets the system's own form: the bytes unchanged on Linux, UTF-16 on Windows.
inline std::filesystem::path NativePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The UTF-8 form of a path the standard library produced.
inline std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
