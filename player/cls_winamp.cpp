#include "player/cls_winamp.hpp"

#include <windows.h>

namespace kestrune {

bool cls_Winamp::IsWinampRunning() {
    return FindWindowA(kPlayerWindowClass, nullptr) != nullptr;
}

void cls_Winamp::Execute(std::int32_t command_id) {
    if (HWND player = FindWindowA(kPlayerWindowClass, nullptr)) {
        SendMessageA(player, WM_COMMAND,
                     static_cast<WPARAM>(static_cast<std::uint32_t>(command_id)), 0);
    }
}

}  // namespace kestrune
