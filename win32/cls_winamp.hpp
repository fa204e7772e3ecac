// The player link over Win32: the player is the top-level window of class "Winamp v1.x".
#pragma once

#include "player/player_link.hpp"

namespace kestrune {

inline constexpr char kPlayerWindowClass[] = "Winamp v1.x";
inline constexpr unsigned kPlayerTimeoutMs = 1000;

class cls_Winamp final : public PlayerLink {
  public:
    // Looks the window up afresh at each call; no handle is kept.
    bool IsRunning() override;
    // WM_COMMAND with wParam = command_id and lParam = 0, sent to the first window of the
    // player's class; nothing is sent when there is none. The wait for the player's answer
    // lasts at most kPlayerTimeoutMs (none at all for a player the system sees as hung), and
    // messages sent to the program's own windows meanwhile are handled. A player run at a
    // higher integrity level (as administrator) does not get the message at all: the system
    // refuses it with ERROR_ACCESS_DENIED.
    SendOutcome Execute(std::int32_t command_id) override;
};

}  // namespace kestrune
