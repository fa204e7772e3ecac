#include "util/window_utils.hpp"

#include <shellapi.h>

#include <algorithm>
#include <chrono>

#include "util/win32_platform.hpp"

namespace kestrune {

void SetTopmost(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ClearTopmost(HWND window) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void AddDropShadow(HWND window) {
    const ULONG_PTR style = GetClassLongPtrW(window, GCL_STYLE);
    SetClassLongPtrW(window, GCL_STYLE, static_cast<LONG_PTR>(style | CS_DROPSHADOW));
}

void DispatchWindowMessage(MSG& msg) {
    // Every top-level window of the program holds controls: let the dialog manager handle
    // Tab, the arrows and access keys for it, as in any dialog box.
    const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the loop that owns the program's end.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchWindowMessage(msg);
    }
}

void WaitSeconds(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const std::chrono::duration<double> wanted(seconds);
    for (;;) {
        const auto elapsed = Clock::now() - start;
        if (elapsed >= wanted) return;
        DoEvents();
        // Sleep until the next message or the end of the pause, whichever comes first.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(wanted - (Clock::now() - start));
        const auto wait = static_cast<DWORD>(std::clamp<long long>(left.count() + 1, 1, 60'000));
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void ShellOpen(std::string_view target) {
    const std::wstring file = Utf8ToWide(target);
    if (file.empty()) return;
    const std::wstring folder = Utf8ToWide(ProgramFolder());
    ShellExecuteW(nullptr, L"open", file.c_str(), L"", folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOWNORMAL);
}

}  // namespace kestrune
