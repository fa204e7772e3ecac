// Runs a copy of kestrune.exe in a folder of its own, and waits for things with a time bound.
#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "util/win32_platform.hpp"

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

// A private folder holding a copy of kestrune.exe (built beside the tests).
class ProgramFolderCopy {
  public:
    ProgramFolderCopy() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"kestrune-run-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(GetTickCount64());
        CreateDirectoryW(folder_.c_str(), nullptr);
        const std::wstring source = Utf8ToWide(ProgramFolder()) + L"\\kestrune.exe";
        CopyFileW(source.c_str(), exe().c_str(), FALSE);
    }
    ~ProgramFolderCopy() {
        Stop();
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder_.c_str());
    }
    ProgramFolderCopy(const ProgramFolderCopy&) = delete;
    ProgramFolderCopy& operator=(const ProgramFolderCopy&) = delete;

    std::wstring exe() const { return folder_ + L"\\kestrune.exe"; }
    std::wstring settings() const { return folder_ + L"\\settings.ini"; }
    bool HasExe() const { return GetFileAttributesW(exe().c_str()) != INVALID_FILE_ATTRIBUTES; }

    void WriteSettings(const std::string& text) const {
        std::ofstream(settings().c_str(), std::ios::binary) << text;
    }
    std::string Settings() const {
        std::ifstream in(settings().c_str(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    bool Start() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + exe() + L"\"";
        if (!CreateProcessW(exe().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder_.c_str(), &startup, &process_)) {
            return false;
        }
        CloseHandle(process_.hThread);
        WaitForInputIdle(process_.hProcess, 5000);
        return true;
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
    std::wstring folder_;
    PROCESS_INFORMATION process_{};
};

}  // namespace kestrune::testing
