// A stand-in for a program the shell starts (the player, or a browser for a web address): it
// adds its command line, as a line of UTF-8, to "player-started.txt" in its working folder,
// and ends.
//
// Started with --hung-player it is instead a player that stops answering: a window of the
// player's class that, for each WM_COMMAND, adds the command to "player-received.txt" in its
// working folder and then sleeps 30 seconds in its handler. It runs until it is ended.
#include <windows.h>

#include <string>

#include "util/wide_text.hpp"
#include "win32/cls_winamp.hpp"

namespace {

bool AppendLine(const wchar_t* file_name, const std::string& line) {
    const HANDLE file = CreateFileW(file_name, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return true;
}

LRESULT CALLBACK HungPlayerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) {
        AppendLine(L"player-received.txt", std::to_string(wparam) + "\n");
        Sleep(30'000);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int RunHungPlayer(HINSTANCE instance) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &HungPlayerProc;
    window_class.hInstance = instance;
    const std::wstring class_name = kestrune::Utf8ToWide(kestrune::kPlayerWindowClass);
    window_class.lpszClassName = class_name.c_str();
    if (!RegisterClassW(&window_class)) return 1;
    if (!CreateWindowExW(0, class_name.c_str(), L"hung player", WS_OVERLAPPED, 0, 0, 100, 100,
                         nullptr, nullptr, instance, nullptr)) {
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
    if (std::wstring(command_line).find(L"--hung-player") != std::wstring::npos) {
        return RunHungPlayer(instance);
    }
    const std::string line = kestrune::WideToUtf8(GetCommandLineW()) + "\n";
    return AppendLine(L"player-started.txt", line) ? 0 : 1;
}
