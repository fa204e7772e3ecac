#include "win32/cls_winamp.hpp"

#include <windows.h>

namespace kestrune {

bool cls_Winamp::IsRunning() {
    return FindWindowA(kPlayerWindowClass, nullptr) != nullptr;
}

SendOutcome cls_Winamp::Execute(std::int32_t command_id) {
    const HWND player = FindWindowA(kPlayerWindowClass, nullptr);
    if (!player) return SendOutcome::kNoPlayer;
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutA(player, WM_COMMAND,
                            static_cast<WPARAM>(static_cast<std::uint32_t>(command_id)), 0,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, kPlayerTimeoutMs, &result) != 0) {
        return SendOutcome::kHandled;
    }
    // User interface privilege isolation: a window of a higher integrity level takes no
    // messages of ours.
    return GetLastError() == ERROR_ACCESS_DENIED ? SendOutcome::kRefused : SendOutcome::kNoAnswer;
}

}  // namespace kestrune
