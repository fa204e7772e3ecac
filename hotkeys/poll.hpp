// The hotkey poll: one tick tests every player function against Alt and its stored key, and
// runs the first one that is pressed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hotkeys/key_state.hpp"
#include "hotkeys/poll_host.hpp"
#include "player/player_link.hpp"

namespace kestrune {

inline constexpr std::string_view kLastCaptionPrefix = "Last Function Executed - ";

// What the poll keeps from one tick to the next: whether the shortcuts' Alt was down at the
// last look. A quick Alt+key whose Alt goes down before one look and whose key goes down after
// it, both let go before the next look, shows at that next look only as the key's "pressed
// since": Alt's went with the look before. So an Alt down at the last look counts at the next
// one too, for a key pressed since (and so, for a key pressed alone just after Alt was let go).
struct PollMemory {
    bool alt_down = false;
};

// One tick of the poll: the keys of all functions from one read of the settings file, then one
// look at the keyboard (see KeyboardLook): each assigned key, then Alt's keys, once each. When
// Alt was pressed, the first function in poll order whose key was pressed runs, and its count
// is read and written afresh. Never processes window messages itself; only the Exit function's
// Unload does, at the very end.
void RunKeyCheckTick(KeyState& keys, PlayerLink& player, PollHost& host, PollMemory& memory);

}  // namespace kestrune
