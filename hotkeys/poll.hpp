// The hotkey poll: one tick looks at Alt and every function's stored key, and runs the first
// function whose shortcut was pressed.
#pragma once

#include <string_view>

#include "hotkeys/key_state.hpp"
#include "hotkeys/keyboard_look.hpp"
#include "hotkeys/poll_host.hpp"
#include "player/player_link.hpp"

namespace kestrune {

inline constexpr std::string_view kLastCaptionPrefix = "Last Function Executed - ";

// One press, one run. A shortcut is *held* at a moment when the shortcuts' Alt (ShortcutAlt)
// and its key are both down. At each look the poll runs a function when its shortcut
//   - is held at this look (so a held shortcut runs at every look, ten times a second), or
//   - was held at some moment since the previous look and not at the previous look itself
//     (a press that began, and perhaps ended, between two looks: a tap runs once).
// It never runs a shortcut that was held at the previous look and has been let go since, in
// whichever order Alt and the key went up; never for a press made before its key's first look
// (the start, a key just assigned, the end of a pause, an unlocked session or a resume from
// sleep), where only what is down counts; and never for a key or an Alt that stayed down
// without the two ever being held together.
//
// What the keyboard tells between two looks is each key's state at the looks and whether it
// went down in between, not the order of what happened. Where Alt and the key were both down
// at some moment since the previous look but perhaps never together (Alt let go just before the
// key went down), the poll cannot tell that from a quick Alt+key tap, and runs the function: a
// quick tap is never lost. Likewise a Left Control down at some moment between two looks makes
// a Right Alt in them AltGr.
//
// What the poll keeps from one tick to the next is only its last look (which keys it read and
// which were down); `Forget` makes the next look a first look.
struct PollMemory {
    LastLook last_look;
    void Forget() { last_look.Forget(); }
};

// One tick of the poll: the keys of all functions from one read of the settings file, then one
// look at the keyboard (see KeyboardLook): each assigned key, then Alt's keys, once each. The
// first function in poll order whose shortcut runs by the rule above is run, and its count is
// read and written afresh. Never processes window messages itself; only the Exit function's
// Unload does, at the very end.
void RunKeyCheckTick(KeyState& keys, PlayerLink& player, PollHost& host, PollMemory& memory);

}  // namespace kestrune
