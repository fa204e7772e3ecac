// Kestrune's entry point. For now the program runs the hotkey poll in a hidden window: every
// 100 ms it checks the Alt+key shortcuts stored in settings.ini and sends the player its
// commands. The Exit function ends it.
#include <windows.h>

#include "hotkeys/poll.hpp"
#include "player/cls_winamp.hpp"
#include "util/win32_platform.hpp"

namespace {

constexpr UINT_PTR kKeyCheckTimer = 1;
constexpr UINT kKeyCheckInterval = 100;

class HiddenHost final : public kestrune::PollHost {
  public:
    explicit HiddenHost(HWND window) : window_(window) {}
    std::string ProgramFolder() override { return kestrune::ProgramFolder(); }
    std::string GroupSeparator() override { return kestrune::UserGroupSeparator(); }
    void SetLastCaption(std::string_view caption) override {
        SetWindowTextW(window_, kestrune::Utf8ToWide(caption).c_str());
    }
    void SetTotalCaption(std::string_view) override {}
    void Unload() override { DestroyWindow(window_); }

  private:
    HWND window_;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_TIMER:
            if (wparam == kKeyCheckTimer) {
                static kestrune::Win32KeyState keys;
                static kestrune::cls_Winamp player;
                HiddenHost host(window);
                kestrune::RunKeyCheckTick(keys, player, host);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"Kestrune";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, L"Kestrune", L"Kestrune", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    SetTimer(window, kKeyCheckTimer, kKeyCheckInterval, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
