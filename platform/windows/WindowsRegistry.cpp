#include "platform/WindowsRegistry.h"

#include "platform/windows/WindowsText.h"

#include <vector>

namespace {

// The largest string value read; GAMEDIR and its like are paths.
constexpr DWORD kMaxValueBytes = 64 * 1024;

std::optional<std::string> ReadFromView(HKEY root, const std::wstring& key,
                                        const std::wstring& name, REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    std::optional<std::string> value;
    if (RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && bytes <= kMaxValueBytes) {
        std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD read = bytes;
        if (RegQueryValueExW(opened, name.c_str(), nullptr, &type,
                             reinterpret_cast<LPBYTE>(text.data()), &read) == ERROR_SUCCESS) {
            std::wstring wide(text.data(), read / sizeof(wchar_t));
            // A stored terminator (or junk after one) is no part of the text.
            wide.resize(std::wstring(wide.c_str()).size());
            value = Utf8(wide);
        }
    }
    RegCloseKey(opened);
    return value;
}

} // namespace

std::optional<std::string> WindowsRegistry::ReadValue(RegistryRoot root, const std::string& key,
                                                      const std::string& valueName) const {
    HKEY rootKey = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::string trimmed = key;
    while (!trimmed.empty() && trimmed.front() == '\\')
        trimmed.erase(trimmed.begin());
    const std::wstring wideKey = Wide(trimmed);
    const std::wstring wideName = Wide(valueName);
    if (views_ != Views::SixtyFourOnly)
        if (auto value = ReadFromView(rootKey, wideKey, wideName, KEY_WOW64_32KEY))
            return value;
    if (views_ != Views::ThirtyTwoOnly)
        return ReadFromView(rootKey, wideKey, wideName, KEY_WOW64_64KEY);
    return std::nullopt;
}
