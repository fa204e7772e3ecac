#include "win32/message_loop.hpp"

#include <algorithm>
#include <chrono>

namespace kestrune {

PumpResult PumpMessage(PumpWait wait, int& exit_code) {
    MSG msg;
    if (wait == PumpWait::kWait) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got < 0) return PumpResult::kFailed;
        if (got == 0) msg.message = WM_QUIT;
    } else if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return PumpResult::kEmpty;
    }
    if (msg.message == WM_QUIT) {
        exit_code = static_cast<int>(msg.wParam);
        return PumpResult::kQuit;
    }
    DispatchWindowMessage(msg);
    return PumpResult::kDispatched;
}

void DispatchWindowMessage(MSG& msg) {
    // Every top-level window of the program holds controls: let the dialog manager handle
    // Tab, the arrows and access keys for it, as in any dialog box.
    const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void LeaveQuitForMessageLoop(int exit_code) {
    PostQuitMessage(exit_code);
}

int RunMessageLoop() {
    int exit_code = 0;
    for (;;) {
        switch (PumpMessage(PumpWait::kWait, exit_code)) {
            case PumpResult::kQuit:
                return exit_code;
            case PumpResult::kFailed:
                return 1;
            default:
                break;
        }
    }
}

void DoEvents() {
    int exit_code = 0;
    PumpResult result;
    do {
        result = PumpMessage(PumpWait::kNoWait, exit_code);
    } while (result == PumpResult::kDispatched);
    if (result == PumpResult::kQuit) LeaveQuitForMessageLoop(exit_code);
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

}  // namespace kestrune
