#include "platform/Elevation.h"

#include "platform/WindowsCommandLine.h"
#include "platform/windows/WindowsText.h"

#include <shellapi.h>

namespace {

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool known =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return known && elevation.TokenIsElevated != 0;
}

bool CanRestartElevated() {
    return true;
}

RestartOutcome RestartElevated(const std::vector<std::string>& arguments, SystemError* error) {
    const std::wstring program = ExecutablePath();
    const std::wstring parameters = Wide(WindowsCommandLine(arguments));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No error box of the shell's own: the caller says what went wrong.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!program.empty() && ShellExecuteExW(&info))
        return RestartOutcome::Started;
    const SystemError cause = program.empty() ? LastError("GetModuleFileNameW", "")
                                              : LastError("ShellExecuteExW", Utf8(program));
    if (error)
        *error = cause;
    return cause.code == ERROR_CANCELLED ? RestartOutcome::Declined : RestartOutcome::Failed;
}
