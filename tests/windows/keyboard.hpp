// Injected key strokes for tests. The keyboard state is shared by the whole desktop: tests
// that use this never run at the same time as each other.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace kestrune::testing {

inline void SendKey(WORD code, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
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

}  // namespace kestrune::testing
