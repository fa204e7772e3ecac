// The machine the Windows-side tests run on: files read and written from outside the program,
// folders of their own, programs started beside it, the Linux side under Wine, and the list of
// the ways Wine differs from Windows that the tests meet.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "util/wide_text.hpp"

namespace kestrune::testing {

inline bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Where Wine differs from Windows, each difference once with its reason. A test that depends on
// one branches on it by its name here; the differences below the functions are met the same way
// on both systems, where said.

// Wine 8's CreateSymbolicLinkW reports success and makes nothing, so under Wine a test makes a
// symbolic link on the Linux side (ln -s), as a user of that system would. Such a link shows
// no reparse point to Windows programs, though its final path is its target's.
inline bool SymbolicLinksAreMadeOnTheLinuxSide() {
    return RunningUnderWine();
}
inline bool SymbolicLinksShowAReparsePoint() {
    return !RunningUnderWine();
}

// Wine has no subst (DefineDosDeviceW): a drive letter is a symbolic link in the prefix's
// dosdevices folder, beside "c:", through which C:\ is reached.
inline bool DriveLettersAreLinksInDosdevices() {
    return RunningUnderWine();
}

// Wine's shell opens a web address with the program that the registry names for its scheme;
// on Windows the user's own choice of browser wins over that. Only under Wine can a test put a
// stand-in browser there.
inline bool WebAddressesOpenWithTheRegisteredCommand() {
    return RunningUnderWine();
}

// The X server's word that a hidden window lost the focus can reach the program only after a
// click on its notification-area icon that comes at once; Wine then ends the popup menu that
// has just opened (and makes the desktop the foreground window), as a click elsewhere would. A
// user's click comes long after. Under Wine a test opens a menu that closed before anything was
// chosen from it again, up to this many times in all.
inline int MenuOpeningsUntilOneStays() {
    return RunningUnderWine() ? 3 : 1;
}

// Wine's notification area shows each icon in a window of its own (class "__winex11_tray_icon"),
// which draws the icon's image and shows its tip in a tooltip while the pointer rests on it: a
// test can read both there. Windows' notification area has no window per icon.
inline bool TrayIconsAreWindowsOfTheirOwn() {
    return RunningUnderWine();
}

// Wine has no integrity levels to speak of: every process's token says High, as if run as
// administrator. So under Wine the program never looks at the window in front, and no window
// can be made that hides the keyboard from it.
inline bool EveryProcessRunsAtHighIntegrity() {
    return RunningUnderWine();
}

// When the focus moves to another Wine window, Wine lines the key state up with the X server's,
// which knows nothing of keys injected with SendInput: held keys read as released again.
// HoldKeysUntil (keyboard.hpp) presses again what was let go, as a finger still holding them
// would keep them down; a test that has just moved the focus lets this time pass before it
// presses anything, on both systems.
inline constexpr std::chrono::milliseconds kFocusSettles{300};

// Wine 8's GetGuiResources (GDI and USER objects) and GetProcessHandleCount answer 0 for every
// process, so a leak of either cannot be seen through them under Wine. On the Linux side,
// scripts/soak watches the resident memory and the open descriptors of the program's Wine
// process instead.
inline bool GuiObjectsAndHandlesReadZero() {
    return RunningUnderWine();
}

// Also met the same way on both systems:
// - The "pressed since the previous query" state is never set on the generic Alt code
//   (VK_MENU) under Wine, only on the side-specific ones; the program reads those, and the
//   native fakes model both (FakeKeyboard::either_side_codes_report_taps).
// - Wine gives a folder the volume serial number of the drive letter nearest to it at the time
//   it is asked: a test maps a letter onto a folder before the program first starts there.
// - A Unix program started from Wine gives no handle to wait on: the caller of
//   StartOnLinuxSide waits for what the program does.
// - Wine shows notification-area icons in a tray window of its own, and hiding it can take
//   seconds: icon states are waited for with a bound of seconds.
// - Wine's file API has no MAX_PATH limit: the form a long path takes is checked directly.
// - Wine's ReplaceFileW moves the replaced file to an rfXXXX.tmp first; on a file held open
//   without delete sharing it fails and leaves that file behind. The tests that list the
//   program's folder would show one.
// ---------------------------------------------------------------------------------------------

// The file's bytes, or "(unreadable)" when it cannot be opened. It is opened with every kind
// of sharing, so that a test reading a file that the program may be saving at that moment
// never stands in the save's way (a replace needs delete sharing).
inline std::string FileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(unreadable)";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

// The lines of `text` that hold more than blanks, without their line ends.
inline std::vector<std::string> NonBlankLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
    }
    return lines;
}

// Makes the file hold `bytes`. Nothing shares it while it is written, so a reader sees the old
// bytes or the new ones, or cannot open it for that moment, but never a half-written file.
inline bool PutFile(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok;
}

using NameList = std::vector<std::wstring>;

// The names in the folder, sorted: shows any file a save left behind.
inline NameList FileNames(const std::wstring& folder) {
    NameList names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Empties and removes a folder, clearing attributes that would stand in the way.
inline void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& name : FileNames(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveTree(path);
        } else {
            DeleteFileW(path.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

// The system's temporary folder, ending in a backslash.
inline std::wstring TempPath() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp, length <= MAX_PATH ? length : 0);
}

// A new, empty folder under the temporary folder, "kestrune-<purpose>-<process>-<n>"; empty
// when none could be made.
inline std::wstring NewTempFolder(const std::wstring& purpose) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = TempPath() + L"kestrune-" + purpose + L"-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(++counter);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    }
    return {};
}

// A new folder under the temporary folder, removed with everything in it.
class TempFolder {
  public:
    explicit TempFolder(const std::wstring& purpose = L"test") : path_(NewTempFolder(purpose)) {}
    ~TempFolder() {
        if (!path_.empty()) RemoveTree(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Without a trailing backslash; empty when no folder could be made.
    std::wstring path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

// Starts `exe` with `arguments` in the working folder `folder` (the caller's when empty), as
// the shell would; `process` gets its handle, the thread's handle is closed.
inline bool StartProgram(const std::wstring& exe, const std::wstring& arguments,
                         const std::wstring& folder, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    return true;
}

// The Linux path of a Windows path under Wine (kernel32's wine_get_unix_file_name); empty on
// Windows or when there is none.
inline std::string UnixPathOf(const std::wstring& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    // Through void*: GetProcAddress's type says nothing of the function's.
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix_path = convert ? convert(path.c_str()) : nullptr;
    if (!unix_path) return {};
    std::string result(unix_path);
    HeapFree(GetProcessHeap(), 0, unix_path);
    return result;
}

// Starts a Linux program under Wine, named by its Linux path ("/bin/ln -s ..."): Wine reaches
// it through Z:, the Linux root. There is no handle to wait on; the caller waits for what the
// program does.
inline bool StartOnLinuxSide(const std::string& command_line) {
    std::wstring command = L"Z:" + Utf8ToWide(command_line);
    for (std::size_t i = 0; i < command.find(L' '); ++i) {
        if (command[i] == L'/') command[i] = L'\\';
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return true;
}

// Starts making `link` a Linux symbolic link to `target` (both Linux paths) under Wine.
inline bool StartLinuxSymbolicLink(const std::string& target, const std::string& link) {
    return StartOnLinuxSide("/bin/ln -s \"" + target + "\" \"" + link + "\"");
}

}  // namespace kestrune::testing
