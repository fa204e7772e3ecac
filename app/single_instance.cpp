#include "app/single_instance.hpp"

#include <cstdint>

#include "ui/form.hpp"
#include "util/wide_text.hpp"

namespace kestrune {
namespace {

// Object names cannot hold the path's backslashes, and may be short: the path (case does not
// matter to the file system) is hashed, FNV-1a over its UTF-16 units.
std::wstring InstanceName(std::string_view settings_path) {
    std::wstring path = Utf8ToWide(settings_path);
    if (!path.empty()) CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const wchar_t unit : path) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 0x100000001b3ULL;
    }
    std::wstring name = L"Kestrune-";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 15];
    return name;
}

}  // namespace

bool ClaimSettingsFile(std::string_view settings_path) {
    // Local\: one claim per user session. The handle stays open until the process ends.
    const std::wstring name = L"Local\\" + InstanceName(settings_path);
    const HANDLE claim = CreateMutexW(nullptr, FALSE, name.c_str());
    if (claim && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return false;
    }
    return true;
}

UINT ShowRunningCopyMessage(std::string_view settings_path) {
    return RegisterWindowMessageW((InstanceName(settings_path) + L".Show").c_str());
}

void ShowRunningCopy(std::string_view settings_path) {
    const UINT message = ShowRunningCopyMessage(settings_path);
    if (message == 0) return;
    // This process was started by the user, so it may hand the foreground on.
    AllowSetForegroundWindow(ASFW_ANY);
    // Only the program's own windows are asked; only the running copy's main window knows the
    // message. It may still be in its splash, and then shows itself in a moment anyway.
    EnumWindows(
        [](HWND window, LPARAM message) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (lstrcmpW(name, kFormClassName) == 0) {
                PostMessageW(window, static_cast<UINT>(message), 0, 0);
            }
            return TRUE;
        },
        static_cast<LPARAM>(message));
}

}  // namespace kestrune
