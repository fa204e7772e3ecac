// Runs a copy of kestrune.exe in a folder of its own, and waits for things with a time bound.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host.hpp"
#include "ui.hpp"
#include "ui/form.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune::testing {

// Processes this thread's messages (so that a stand-in player in this process receives what
// other processes send it) until `done` holds or `timeout` passes. Returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(std::min<long long>(left.count(), 20)),
                                  QS_ALLINPUT);
    }
}

// Lets `time` pass while this thread's messages are processed.
inline void PumpFor(std::chrono::milliseconds time) {
    PumpUntil([] { return false; }, time);
}

// A file in the folder of the test programs, where the build puts kestrune.exe and the
// stand-in player's executable.
inline std::wstring BesideTheTests(const std::wstring& name) {
    return Utf8ToWide(ProgramFolder()) + L"\\" + name;
}

// A copy of kestrune.exe (built beside the tests) in a folder of its own: by default a new
// folder under the temporary folder, or `folder` when given (which may already exist, such as
// the root of a drive). Only what the copy and the program put there is removed afterwards.
// With kAlreadyThere, the kestrune.exe that is in `folder` (such as an unpacked release) is
// run instead, and left there.
class ProgramFolderCopy {
  public:
    enum Source { kCopyFromBuild, kAlreadyThere };
    explicit ProgramFolderCopy(std::wstring folder = {}, Source from = kCopyFromBuild)
        : folder_(std::move(folder)) {
        if (from == kAlreadyThere) {
            in_place_ = GetFileAttributesW(exe().c_str()) != INVALID_FILE_ATTRIBUTES;
            return;
        }
        if (folder_.empty()) {
            folder_ = NewTempFolder(L"run");
            created_folder_ = !folder_.empty();
        } else {
            created_folder_ = CreateDirectoryW(folder_.c_str(), nullptr) != 0;
        }
        copied_ = CopyFileW(BesideTheTests(L"kestrune.exe").c_str(), exe().c_str(), TRUE) != 0;
        if (!copied_) Say("could not copy kestrune.exe into the folder");
    }
    ~ProgramFolderCopy() {
        Stop();
        if (copied_) DeleteFileW(exe().c_str());
        if (copied_ || in_place_) {
            // A test may have left the file read-only.
            SetFileAttributesW(settings().c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(settings().c_str());
            for (const std::wstring& name : other_files_) DeleteFileW(File(name).c_str());
        }
        if (created_folder_) RemoveDirectoryW(folder_.c_str());
    }
    ProgramFolderCopy(const ProgramFolderCopy&) = delete;
    ProgramFolderCopy& operator=(const ProgramFolderCopy&) = delete;

    std::wstring exe() const { return folder_ + L"\\kestrune.exe"; }
    std::wstring settings() const { return folder_ + L"\\settings.ini"; }
    std::wstring folder() const { return folder_; }
    // A file in the folder that something else puts there; removed with the folder.
    std::wstring File(const std::wstring& name) {
        if (std::find(other_files_.begin(), other_files_.end(), name) == other_files_.end()) {
            other_files_.push_back(name);
        }
        return folder_ + L"\\" + name;
    }
    // False when the copy could not be made (or a file of that name was already there), or
    // with kAlreadyThere when there is no kestrune.exe in the folder.
    bool HasExe() const { return copied_ || in_place_; }

    bool WriteSettings(const std::string& text) const { return PutFile(settings(), text); }
    std::string Settings() const { return FileBytes(settings()); }
    bool SettingsHold(const std::string& lines) const {
        return Settings().find(lines) != std::string::npos;
    }
    bool NoSettingsFile() const {
        return GetFileAttributesW(settings().c_str()) == INVALID_FILE_ATTRIBUTES;
    }

    // Starts the copy; with `through`, as kestrune.exe in that other folder (a link to it).
    bool Start(const std::wstring& through = {}) {
        if (!Launch(process_, through.empty() ? folder_ : through)) {
            Say("could not start kestrune.exe");
            return false;
        }
        WaitForInputIdle(process_.hProcess, 5000);
        return true;
    }
    // Starts the same exe once more from the same folder, as a user starting it again would,
    // and waits (pumping messages) for that second process to end: its exit code, or -1 when
    // it could not start or did not end in time (it is then ended). With `spelling`, the
    // folder is reached through that other path of it (such as another drive letter).
    long StartAgainAndWait(std::chrono::milliseconds timeout,
                           const std::wstring& spelling = {}) const {
        PROCESS_INFORMATION second{};
        if (!Launch(second, spelling.empty() ? folder_ : spelling)) return -1;
        DWORD code = 0;
        const bool ended = PumpUntil(
            [&] { return WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0; }, timeout);
        if (ended) {
            GetExitCodeProcess(second.hProcess, &code);
        } else {
            TerminateProcess(second.hProcess, 99);
        }
        CloseHandle(second.hProcess);
        return ended ? static_cast<long>(code) : -1;
    }
    DWORD ProcessId() const { return process_.dwProcessId; }
    // The program's top-level window for which `match` holds, or null.
    HWND FindWindowOf(const std::function<bool(HWND)>& match) const {
        struct Search {
            DWORD process;
            const std::function<bool(HWND)>* match;
            HWND found;
        } search{process_.dwProcessId, &match, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process != search->process || !(*search->match)(window)) return TRUE;
                search->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND WindowCaptioned(const std::wstring& caption) const {
        return FindWindowOf([&](HWND window) { return TextOf(window) == caption; });
    }
    // The main window: the one captioned "Kestrune".
    HWND MainWindow() const { return WindowCaptioned(L"Kestrune"); }
    // The splash: the program's window with no caption.
    HWND SplashWindow() const {
        return FindWindowOf([](HWND window) {
            return TextOf(window).empty() && ClassOf(window) == kFormClassName;
        });
    }
    // The program's message box on the screen, or null.
    HWND MessageBox() const { return VisibleWindowOfClass(L"#32770"); }
    // The program's popup menu on the screen, or null.
    HWND PopupMenu() const { return VisibleWindowOfClass(L"#32768"); }
    // Waits (pumping messages) until the main window is on the screen; it or null.
    HWND WaitForMainWindow(std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
        HWND main = nullptr;
        PumpUntil(
            [&] {
                main = MainWindow();
                return main && IsWindowVisible(main);
            },
            timeout);
        return main && IsWindowVisible(main) ? main : nullptr;
    }
    // The copy started and its main window on the screen; null when any of that failed.
    HWND StartToMainWindow() {
        if (!HasExe() || !Start()) return nullptr;
        const HWND window = WaitForMainWindow();
        if (!window) {
            std::fprintf(stderr, "kestrune.exe started, but no main window came (%s)\n",
                         Running() ? "still running" : "it has ended");
        }
        return window;
    }
    bool Running() const {
        return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
    }
    // Waits (pumping messages) for the program to end; its exit code, or -1 on a time-out.
    long WaitForExit(std::chrono::milliseconds timeout) {
        if (!PumpUntil([&] { return !Running(); }, timeout)) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }
    void Stop() {
        if (!process_.hProcess) return;
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        process_ = {};
    }

  private:
    // Why the program did not start, beside the test's own failure.
    void Say(const char* what) const {
        const DWORD error = GetLastError();
        std::fprintf(stderr, "%s (system error %lu): %s\n", what, error,
                     WideToUtf8(folder_).c_str());
    }
    HWND VisibleWindowOfClass(const std::wstring& name) const {
        return FindWindowOf(
            [&](HWND window) { return ClassOf(window) == name && IsWindowVisible(window); });
    }
    static bool Launch(PROCESS_INFORMATION& process, const std::wstring& folder) {
        return StartProgram(folder + L"\\kestrune.exe", {}, folder, process);
    }

    std::vector<std::wstring> other_files_;
    std::wstring folder_;
    bool created_folder_ = false;
    bool copied_ = false;
    bool in_place_ = false;
    PROCESS_INFORMATION process_{};
};

// How an end-to-end test starts: a copy in a folder of its own with `settings` as its
// settings file (none when empty), or made ready by `prepare` (which may put files or links
// there); started, and its main window once on the screen (`main`, null when any of that
// failed). With the helpers that assign keys through the program's windows.
class RunningProgram : public ProgramFolderCopy {
  public:
    explicit RunningProgram(const std::function<void(RunningProgram&)>& prepare) {
        prepare(*this);
        main = StartToMainWindow();
    }
    explicit RunningProgram(const std::string& settings = {})
        : RunningProgram([&](RunningProgram& program) {
              if (!settings.empty()) program.WriteSettings(settings);
          }) {}
    // The text of the main window's label that starts with `prefix`.
    std::wstring Label(const std::wstring& prefix) const { return LabelStartingWith(main, prefix); }
    // The close box of `window`.
    static void Close(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

    // The configuration window and the key capture window ("Set Key").
    HWND Config() const { return WindowCaptioned(L"Key Configuration"); }
    HWND SetKey() const { return WindowCaptioned(L"Set Key"); }
    bool ConfigShown() const { return Config() && IsWindowVisible(Config()); }
    bool SetKeyShown() const { return SetKey() && IsWindowVisible(SetKey()); }
    // Its line turns from grey to black at its first tick: a key pressed from then on is taken.
    bool SetKeyReady() const {
        return SetKeyShown() && IsWindowEnabled(ChildStartingWith(SetKey(), L"Press"));
    }
    // "&Configure" on the main window; the configuration window once it is on the screen.
    HWND OpenConfig() {
        Press(ChildStartingWith(main, L"&Configure"));
        if (!PumpUntil([&] { return ConfigShown(); }, std::chrono::seconds(5))) return nullptr;
        PumpFor(std::chrono::milliseconds(300));  // let it take the focus before typing to it
        return Config();
    }
    // "&Change"; the key capture window once it is on the screen and taking keys.
    HWND OpenSetKey() {
        // Posted: the button's handler returns only once the capture window has closed.
        PostMessageW(ChildStartingWith(Config(), L"&Change"), BM_CLICK, 0, 0);
        if (!PumpUntil([&] { return SetKeyReady(); }, std::chrono::seconds(5))) return nullptr;
        return SetKey();
    }
    // The configuration window's list of functions, and the key it shows for the selected one.
    HWND List() const { return FindWindowExW(Config(), nullptr, L"ComboBox", nullptr); }
    std::wstring Current() const {
        const HWND label = ChildStartingWith(Config(), L"C&urrent Config");
        return label ? TextOf(GetWindow(label, GW_HWNDNEXT)) : L"(no label)";
    }
    // Picks a function as the user does: the list tells the window its selection changed.
    void Select(const std::wstring& function) {
        const HWND list = List();
        const auto index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(function.c_str()));
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(Config(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }

    HWND main = nullptr;
};

}  // namespace kestrune::testing
