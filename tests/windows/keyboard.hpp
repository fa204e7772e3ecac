// Injected key strokes for tests. The keyboard state is shared by the whole desktop: tests
// that use this never run at the same time as each other.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>

#include "program.hpp"

namespace kestrune::testing {

// The right-hand Alt and Ctrl keys come with the extended-key flag, as a keyboard sends them.
inline void SendKey(WORD code, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    const bool extended = code == VK_RMENU || code == VK_RCONTROL;
    input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

// Presses `keys` in order and lets them go in reverse order, as a quick keystroke does.
inline void Tap(std::initializer_list<WORD> keys) {
    for (WORD key : keys) SendKey(key, true);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) SendKey(*it, false);
}

// Presses `keys` in order, holds them for `time` while this thread's messages are processed,
// and lets them go in reverse order. The keys are not read meanwhile: that would take their
// "pressed since the previous query" state from the program under test.
inline void TapFor(std::initializer_list<WORD> keys, std::chrono::milliseconds time) {
    for (WORD key : keys) SendKey(key, true);
    PumpFor(time);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) SendKey(*it, false);
}

// Waits, within a bound, until GetAsyncKeyState shows every key in the wanted position.
inline bool WaitForKeys(std::initializer_list<WORD> codes, bool down) {
    for (int i = 0; i < 200; ++i) {
        bool all = true;
        for (WORD code : codes) {
            const bool is_down = (GetAsyncKeyState(code) & 0x8000) != 0;
            all = all && is_down == down;
        }
        if (all) return true;
        Sleep(10);
    }
    return false;
}

// Releases the keys and reads their state once more, so that the "pressed since the previous
// query" bit does not carry over into the next test.
inline void ReleaseKeys(std::initializer_list<WORD> codes) {
    for (auto it = std::rbegin(codes); it != std::rend(codes); ++it) SendKey(*it, false);
    WaitForKeys(codes, false);
    for (WORD code : codes) GetAsyncKeyState(code);
}

inline bool KeysDown(std::initializer_list<WORD> codes) {
    for (WORD code : codes) {
        if ((GetAsyncKeyState(code) & 0x8000) == 0) return false;
    }
    return true;
}

// Holds `keys` (pressed in order) until `arrived` holds, pumping this thread's messages
// meanwhile, then lets go. Returns whether it arrived. Keys that a change of the focus let go
// (under Wine: see kFocusSettles) are pressed again, as a finger still holding them would keep
// them down.
inline bool HoldKeysUntil(std::initializer_list<WORD> keys, const std::function<bool()>& arrived,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool ok = false;
    for (;;) {
        for (WORD key : keys) SendKey(key, true);
        WaitForKeys(keys, true);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        PumpUntil([&] { return arrived() || !KeysDown(keys); },
                  std::max(left, std::chrono::milliseconds(0)));
        ok = arrived();
        if (ok || std::chrono::steady_clock::now() >= deadline) break;
    }
    ReleaseKeys(keys);
    return ok;
}

// Holds Alt and `key` until `arrived` holds (the program ticks every 100 ms).
inline bool HoldAltWithUntil(WORD key, const std::function<bool()>& arrived,
                             std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return HoldKeysUntil({VK_MENU, key}, arrived, timeout);
}

}  // namespace kestrune::testing
