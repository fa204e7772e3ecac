// Reading and pressing the program's windows from outside, as a user would see and use them.
#pragma once

#include <windows.h>
// After <windows.h>:
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/system_tray.hpp"

namespace kestrune::testing {

inline std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The child of `parent` whose text starts with `prefix`, or null.
inline HWND ChildStartingWith(HWND parent, const std::wstring& prefix) {
    struct Search {
        const std::wstring* prefix;
        HWND found;
    } search{&prefix, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (TextOf(child).rfind(*search->prefix, 0) != 0) return TRUE;
            search->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::wstring LabelStartingWith(HWND window, const std::wstring& prefix) {
    const HWND label = ChildStartingWith(window, prefix);
    return label ? TextOf(label) : L"(no such label)";
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

inline bool IsTopmost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Presses a button of the program as a click would.
inline void Press(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
}

// The screen's dots per inch, which the program's windows are laid out for.
inline int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Whether the window's client area is `width` by `height` twips at the screen's dpi.
inline bool ClientSizeInTwips(HWND window, int width, int height) {
    RECT client;
    GetClientRect(window, &client);
    return client.right == MulDiv(width, ScreenDpi(), 1440) &&
           client.bottom == MulDiv(height, ScreenDpi(), 1440);
}

// The control that has the keyboard focus in the window's thread, or null.
inline HWND FocusOf(HWND window) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui)) return nullptr;
    return gui.hwndFocus;
}

inline std::size_t Count(const std::vector<std::int32_t>& ids, std::int32_t id) {
    return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), id));
}

// Whether the shell holds the program's icon: changing nothing of an icon succeeds only
// when it is there.
inline bool TrayIconPresent(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// What the shell sends when the user clicks the icon.
inline void ClickTrayIcon(HWND main) {
    PostMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
}

// A window of this test process with the focus, so that the program is in the background.
class ForegroundWindow {
  public:
    ForegroundWindow() {
        window_ = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window_);
    }
    ~ForegroundWindow() { DestroyWindow(window_); }
    ForegroundWindow(const ForegroundWindow&) = delete;
    ForegroundWindow& operator=(const ForegroundWindow&) = delete;

  private:
    HWND window_;
};

}  // namespace kestrune::testing
