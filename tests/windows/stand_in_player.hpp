// A stand-in for the player: a top-level window of the player's class that records every
// WM_COMMAND it receives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "util/wide_text.hpp"
#include "win32/cls_winamp.hpp"

namespace kestrune::testing {

// The player's window class, as the wide-character API takes it.
inline const std::wstring kPlayerClass = Utf8ToWide(kPlayerWindowClass);

class StandInPlayer {
  public:
    explicit StandInPlayer(const wchar_t* title = L"") {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = &StandInPlayer::WindowProc;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = kPlayerClass.c_str();
        RegisterClassW(&window_class);  // fails harmlessly when already registered
        window_ = CreateWindowExW(0, kPlayerClass.c_str(), title, WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), this);
    }
    ~StandInPlayer() {
        if (window_) DestroyWindow(window_);
    }
    StandInPlayer(const StandInPlayer&) = delete;
    StandInPlayer& operator=(const StandInPlayer&) = delete;

    HWND window() const { return window_; }

    std::vector<std::int32_t> received;  // wParam of each WM_COMMAND, in order of arrival
    std::vector<LPARAM> received_lparams;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<StandInPlayer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COMMAND && self) {
            self->received.push_back(static_cast<std::int32_t>(wparam));
            self->received_lparams.push_back(lparam);
            return 0;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    HWND window_ = nullptr;
};

}  // namespace kestrune::testing
