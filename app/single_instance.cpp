#include "app/single_instance.hpp"

#include <sddl.h>

#include <cstdint>
#include <optional>

#include "hotkeys/messages.hpp"
#include "settings/file_store_win32.hpp"
#include "ui/form.hpp"
#include "util/path.hpp"
#include "util/wide_text.hpp"

namespace kestrune {
namespace {

void AppendHex(std::wstring& text, std::uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        text += L"0123456789abcdef"[(value >> shift) & 15];
    }
}

// What identifies a folder on its volume, whatever spelling of its path opened it (an 8.3 short
// name, another drive letter, a UNC path, a junction or symbolic link, the \\?\ form): the
// volume's serial number and the folder's file id, as hexadecimal text. Nothing when the file
// system gives no id.
std::optional<std::wstring> FolderIdentity(const std::wstring& folder) {
    const HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    FILE_ID_INFO id{};
    bool known = GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id) != FALSE;
    if (!known) {
        // Before Windows 8, and on file systems without 128-bit ids: the 64-bit index, which
        // the 128-bit id holds in its low half where both exist.
        BY_HANDLE_FILE_INFORMATION info{};
        known = GetFileInformationByHandle(handle, &info) != FALSE;
        if (known) {
            id.VolumeSerialNumber = info.dwVolumeSerialNumber;
            const std::uint64_t index =
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            for (int i = 0; i < 8; ++i) id.FileId.Identifier[i] = (index >> (8 * i)) & 0xff;
        }
    }
    CloseHandle(handle);
    bool zero = true;
    for (const BYTE part : id.FileId.Identifier) zero = zero && part == 0;
    if (!known || zero) return std::nullopt;
    std::wstring text;
    AppendHex(text, id.VolumeSerialNumber, 16);
    text += L'-';
    for (int i = 15; i >= 0; --i) AppendHex(text, id.FileId.Identifier[i], 2);
    return text;
}

// The claim's name: after the program folder's identity, or else after the text of the
// settings path. Object names cannot hold the path's backslashes, and may be short: the path
// (case does not matter to the file system) is hashed, FNV-1a over its UTF-16 units.
std::wstring InstanceName(std::string_view settings_path) {
    // A folder path of MAX_PATH or more is opened in the \\?\ form, as the settings file is.
    if (auto identity = FolderIdentity(file_store::SystemPath(FolderOfPath(settings_path)))) {
        return L"Kestrune-" + *identity;
    }
    std::wstring path = Utf8ToWide(settings_path);
    if (!path.empty()) CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const wchar_t unit : path) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 0x100000001b3ULL;
    }
    std::wstring name = L"Kestrune-";
    AppendHex(name, hash, 16);
    return name;
}

}  // namespace

Claim ClaimSettingsFile(std::string_view settings_path) {
    // Local\: one claim per user session. The handle stays open until the process ends.
    const std::wstring name = L"Local\\" + InstanceName(settings_path);
    const HANDLE claim = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (claim && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return Claim::kHeldByRunningCopy;
    }
    // The mutex of a copy running as administrator may not be opened by a normal start.
    if (!claim && error == ERROR_ACCESS_DENIED) return Claim::kHeldByAdministrator;
    return Claim::kOurs;
}

std::wstring EverySessionClaimName(std::string_view settings_path) {
    return L"Global\\" + InstanceName(settings_path) + L".Running";
}

// Every copy that starts on the file, in whichever session, opens one named object in the
// Global\ namespace and keeps the handle until it ends: the object lives exactly while some copy
// runs on the file, and the copy whose open made it is the only one. A named object needs no
// file beside settings.ini and goes with the last process that holds it, however it ends. A
// copy started while the first one clears the leftovers can only be writing files newer than
// settings.ini, which the clean-up leaves alone. Every user may open the object, with the right
// to wait on it only (SYNCHRONIZE, 0x00100000), which nobody uses: it only has to exist, and a
// copy of another user must be able to hold it too.
bool ClaimSettingsFileInEverySession(std::string_view settings_path) {
    const std::wstring name = EverySessionClaimName(settings_path);
    PSECURITY_DESCRIPTOR everyone = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:(A;;0x00100000;;;WD)", SDDL_REVISION_1, &everyone, nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, everyone, FALSE};
    const HANDLE claim = CreateMutexExW(&attributes, name.c_str(), 0, SYNCHRONIZE);
    const DWORD error = GetLastError();
    LocalFree(everyone);
    // No handle: the name is taken by an object of another kind. Not alone, to be safe.
    return claim != nullptr && error != ERROR_ALREADY_EXISTS;
}

void ReportRunningAsAdministrator() {
    MessageBoxW(nullptr, Utf8ToWide(kRunningAsAdministratorMessage).c_str(), kProgramName,
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

UINT ShowRunningCopyMessage(std::string_view settings_path) {
    return RegisterWindowMessageW((InstanceName(settings_path) + L".Show").c_str());
}

void AdmitShowRunningCopyMessage(HWND main_window, std::string_view settings_path) {
    const UINT message = ShowRunningCopyMessage(settings_path);
    if (message != 0) ChangeWindowMessageFilterEx(main_window, message, MSGFLT_ALLOW, nullptr);
}

void ShowRunningCopy(std::string_view settings_path) {
    const UINT message = ShowRunningCopyMessage(settings_path);
    if (message == 0) return;
    // Only the program's own windows are asked; only the running copy's main window knows the
    // message and answers it. It may still be in its splash, and then shows itself in a moment
    // anyway.
    EnumWindows(
        [](HWND window, LPARAM message) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (lstrcmpW(name, kFormClassName) != 0) return TRUE;
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutW(window, static_cast<UINT>(message), kShowRunningCopyAsk, 0,
                                     SMTO_ABORTIFHUNG, 1000, &answer) ||
                answer != static_cast<DWORD_PTR>(kIsRunningCopy)) {
                return TRUE;
            }
            // This process was started by the user, so it may hand the foreground on: to the
            // running copy, and to no other process.
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            AllowSetForegroundWindow(process);
            PostMessageW(window, static_cast<UINT>(message), kShowRunningCopyNow, 0);
            return FALSE;
        },
        static_cast<LPARAM>(message));
}

}  // namespace kestrune
