#include "win32/win32_platform.hpp"

#include <windows.h>
// After <windows.h>:
#include <shlobj.h>

#include <vector>

#include "util/path.hpp"

namespace kestrune {

std::int16_t Win32KeyState::Query(std::int32_t code) {
    if (code < 0 || code > 255) return 0;
    return static_cast<std::int16_t>(GetAsyncKeyState(code));
}

namespace {

// The path the system reports for the running executable; empty when it does not say.
std::wstring ModulePath() {
    // Long paths can exceed MAX_PATH: grow the buffer until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return {buffer.data(), n};
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// The path of the file itself that `path` ends at, after every symbolic link and junction on
// the way; empty when the system cannot say.
std::wstring FinalPathOf(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::wstring final_path(32768, L'\0');  // room for the longest path there is
    const DWORD n = GetFinalPathNameByHandleW(file, final_path.data(), 32768,
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    final_path.resize(n < 32768 ? n : 0);
    return final_path;
}

std::string FindProgramFile() {
    const std::wstring module = ModulePath();
    if (module.empty()) return {};
    // A volume without a drive letter gives no final path that a user would know: the path
    // the program was started by is kept then.
    const std::string final_path = RealPathOf(WideToUtf8(module));
    return final_path.empty() ? WideToUtf8(module) : final_path;
}

// The integrity level of `process`'s token: the last relative id of its mandatory label.
std::optional<std::uint32_t> IntegrityOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    std::optional<std::uint32_t> level;
    alignas(TOKEN_MANDATORY_LABEL) unsigned char buffer[64 + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    if (GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
        const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
        const UCHAR count = *GetSidSubAuthorityCount(sid);
        if (count > 0) level = *GetSidSubAuthority(sid, count - 1u);
    }
    CloseHandle(token);
    return level;
}

}  // namespace

std::uintptr_t Win32Foreground::Window() {
    return reinterpret_cast<std::uintptr_t>(GetForegroundWindow());
}

WindowOwner Win32Foreground::OwnerOf(std::uintptr_t window) {
    WindowOwner owner;
    DWORD process_id = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process_id);
    if (process_id == 0) {
        owner.gone = true;
        return owner;
    }
    owner.ours = process_id == GetCurrentProcessId();
    if (owner.ours) return owner;
    // The least access there is, which a process of a higher level still grants to most.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    if (!process) return owner;
    owner.integrity = IntegrityOf(process);
    CloseHandle(process);
    return owner;
}

std::string Win32Foreground::CaptionOf(std::uintptr_t window) {
    // Reads the caption the system keeps: a window that hangs cannot hold this up.
    wchar_t caption[256] = {};
    const int n = GetWindowTextW(reinterpret_cast<HWND>(window), caption, 256);
    return n > 0 ? WideToUtf8({caption, static_cast<std::size_t>(n)}) : std::string();
}

std::optional<std::uint32_t> Win32Foreground::OwnIntegrity() {
    return IntegrityOf(GetCurrentProcess());
}

std::string RealPathOf(std::string_view path) {
    // The final path comes in the \\?\ form.
    return PlainPathOf(WideToUtf8(FinalPathOf(Utf8ToWide(path))));
}

const std::string& ProgramFile() {
    static const std::string file = FindProgramFile();
    return file;
}

const std::string& ProgramFolder() {
    static const std::string folder = FolderOfPath(ProgramFile());
    return folder;
}

const std::string& ProgramSettingsFile() {
    static const std::string file = SettingsPath(ProgramFolder());
    return file;
}

std::string ProgramFilesX86Folder() {
    // FOLDERID_ProgramFilesX86, spelled out here: the import library that defines it (uuid)
    // would bring every other identifier along.
    static constexpr KNOWNFOLDERID kProgramFilesX86{
        0x7c5a40ef, 0xa0fb, 0x4bfc, {0x87, 0x4a, 0xc0, 0xf2, 0xe0, 0xb9, 0xfa, 0x8e}};
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(kProgramFilesX86, 0, nullptr, &folder))) {
        result = WideToUtf8(folder);
    }
    CoTaskMemFree(folder);
    return result;
}

std::string UserGroupSeparator() {
    wchar_t separator[8] = {};
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    if (n == 0) return ",";  // no locale data: the English separator
    return WideToUtf8({separator, static_cast<std::size_t>(n - 1)});
}

}  // namespace kestrune
