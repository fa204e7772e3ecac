// A stand-in for a program the shell starts (the player, or a browser for a web address): it
// adds its command line, as a line of UTF-8, to "player-started.txt" in its working folder,
// and ends.
//
// Started with --hung-player it is instead a player that stops answering: a window of the
// player's class that, for each WM_COMMAND, adds the command to "player-received.txt" in its
// working folder and then sleeps 30 seconds in its handler. It runs until it is ended. With
// --player it is a player that answers each command at once, after adding it to that file.
//
// With --hold SECONDS CODE... it holds the keys of those virtual-key codes down (pressed in
// that order through SendInput) for SECONDS, lets them go in the reverse order, and ends: a
// finger on a shortcut, for a long run (scripts/soak).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "util/wide_text.hpp"
#include "win32/cls_winamp.hpp"

namespace {

// Two stand-ins started at once (two clicks on a web address) append to the same file: the
// one that finds it held by the other waits its turn.
bool AppendLine(const wchar_t* file_name, const std::string& line) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 200 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileW(file_name, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) break;
        if (file == INVALID_HANDLE_VALUE) Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return true;
}

bool hung = false;

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) {
        AppendLine(L"player-received.txt", std::to_string(wparam) + "\n");
        if (hung) Sleep(30'000);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int RunPlayer(HINSTANCE instance) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &PlayerProc;
    window_class.hInstance = instance;
    const std::wstring class_name = kestrune::Utf8ToWide(kestrune::kPlayerWindowClass);
    window_class.lpszClassName = class_name.c_str();
    if (!RegisterClassW(&window_class)) return 1;
    if (!CreateWindowExW(0, class_name.c_str(), hung ? L"hung player" : L"answering player",
                         WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr)) {
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

void Send(WORD code, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

int Hold(const std::vector<std::wstring>& words) {
    if (words.size() < 3) return 2;
    const DWORD seconds = static_cast<DWORD>(std::wcstoul(words[1].c_str(), nullptr, 10));
    std::vector<WORD> codes;
    for (std::size_t i = 2; i < words.size(); ++i) {
        codes.push_back(static_cast<WORD>(std::wcstoul(words[i].c_str(), nullptr, 10)));
    }
    for (const WORD code : codes) Send(code, 0);
    Sleep(seconds * 1000);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) Send(*code, KEYEVENTF_KEYUP);
    return 0;
}

// The words of the command line after the program's name, split at spaces (no quoting: the
// modes' arguments are plain words and numbers).
std::vector<std::wstring> WordsOf(const std::wstring& text) {
    std::vector<std::wstring> words;
    std::size_t start = 0;
    while ((start = text.find_first_not_of(L' ', start)) != std::wstring::npos) {
        const std::size_t end = text.find(L' ', start);
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
    const std::vector<std::wstring> words = WordsOf(command_line);
    if (!words.empty() && words[0] == L"--hold") return Hold(words);
    if (!words.empty() && (words[0] == L"--player" || words[0] == L"--hung-player")) {
        hung = words[0] == L"--hung-player";
        return RunPlayer(instance);
    }
    const std::string line = kestrune::WideToUtf8(GetCommandLineW()) + "\n";
    return AppendLine(L"player-started.txt", line) ? 0 : 1;
}
